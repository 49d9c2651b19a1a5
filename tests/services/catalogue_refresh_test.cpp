#include "services/catalogue_refresh.h"

#include "catalogue/app_state.h"
#include "catalogue/catalogue_error.h"
#include "services/service_addresses.h"
#include "widgets/messages.h"

#include <QApplication>
#include <QDialog>
#include <gtest/gtest.h>

namespace {
TEST(DownloadQuestionGate, AsksAtFirstActivationAndAfterForeignDeactivations) {
  DownloadQuestionGate gate;
  EXPECT_FALSE(gate.activated(false));  // not outdated: nothing, whenever
  EXPECT_TRUE(gate.activated(true));    // first activation while outdated
  EXPECT_FALSE(gate.activated(true));   // activated again without having lost activation

  // The question's own box takes and gives back activation: not a new activation.
  gate.begin_own_modal();
  gate.deactivated();
  EXPECT_FALSE(gate.activated(true));
  gate.end_own_modal();
  EXPECT_FALSE(gate.activated(true));

  // Another window took activation and the main window got it back.
  gate.deactivated();
  EXPECT_TRUE(gate.activated(true));
}

// Records the reload steps; the sort records the direction it used and turns the flag over.
struct Recorder {
  AppState state;
  std::vector<std::string> steps;
  std::vector<bool> sort_directions;
  std::string fail_at;
  int dialog_result = QDialog::Accepted;
  int dialogs = 0;
  std::vector<QUrl> opened;

  void step(const std::string& name) {
    steps.push_back(name);
    if (name == fail_at) throw CatalogueError("Line 3 of the channel table is damaged");
  }
  ReloadSteps reload_steps() {
    return {[this] { step("write user files"); }, [this] { step("reset"); },
            [this] { step("user channels"); },    [this] { step("database"); },
            [this] { step("settings"); },
            [this] {
              step("sort");
              sort_directions.push_back(state.sort_flag);
              state.sort_flag = !state.sort_flag;
            },
            [this] { step("rebuild"); }};
  }
  CatalogueRefresh refresh() {
    return CatalogueRefresh(state, nullptr, [this] { ++dialogs; return dialog_result; }, reload_steps(),
                            [this](const QUrl& url) { opened.push_back(url); });
  }
};

const std::vector<std::string> kAllSteps = {"write user files", "reset",  "user channels", "database",
                                            "settings",         "sort",   "rebuild"};

TEST(CatalogueRefresh, QuestionAnsweredNoAsksAgainOnlyAfterARealActivation) {
  RecordingMessageSink messages;
  Recorder r;
  r.state.outdated = true;
  CatalogueRefresh refresh = r.refresh();
  refresh.main_window_activated();
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, kDownloadQuestion);
  EXPECT_EQ(r.dialogs, 0);
  refresh.main_window_activated();
  EXPECT_EQ(messages.shown.size(), 1u);
  refresh.main_window_deactivated();
  refresh.main_window_activated();
  EXPECT_EQ(messages.shown.size(), 2u);
}

TEST(CatalogueRefresh, YesDownloadsAndReloadsSortedTheOtherWay) {
  RecordingMessageSink messages;
  messages.answers = {true};
  Recorder r;
  r.state.outdated = true;
  r.state.sort_flag = true;  // the start-up sort ran with false and turned it over
  CatalogueRefresh refresh = r.refresh();
  refresh.main_window_activated();
  EXPECT_EQ(r.dialogs, 1);
  EXPECT_EQ(r.steps, kAllSteps);
  EXPECT_EQ(r.sort_directions, std::vector<bool>{true});  // opposite of the start-up sort
  EXPECT_FALSE(r.state.sort_flag);
  EXPECT_EQ(messages.shown.size(), 1u);  // no message after the reload
}

TEST(CatalogueRefresh, DialogLeftWithoutCompleteReloadsNothing) {
  RecordingMessageSink messages;
  messages.answers = {true};
  Recorder r;
  r.state.outdated = true;
  r.dialog_result = QDialog::Rejected;
  CatalogueRefresh refresh = r.refresh();
  refresh.main_window_activated();
  EXPECT_EQ(r.dialogs, 1);
  EXPECT_TRUE(r.steps.empty());
  refresh.update_button_clicked();
  EXPECT_TRUE(r.steps.empty());
  EXPECT_EQ(messages.shown.size(), 1u);
}

TEST(CatalogueRefresh, UpdateButtonKeepsTheSortDirectionAndOffersTheWebsite) {
  write_service_base("feedback", "http://127.0.0.1:8999");
  for (const bool visit : {true, false}) {
    RecordingMessageSink messages;
    messages.answers = {visit};
    Recorder r;
    r.state.sort_flag = true;  // the last sort ran with false
    CatalogueRefresh refresh = r.refresh();
    refresh.update_button_clicked();
    EXPECT_EQ(r.steps, kAllSteps);
    EXPECT_EQ(r.sort_directions, std::vector<bool>{false});  // as the sort before it
    EXPECT_TRUE(r.state.sort_flag);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, kWebsiteQuestion);
    EXPECT_EQ(r.opened, visit ? std::vector<QUrl>{QUrl("http://127.0.0.1:8999/update.html")} : std::vector<QUrl>{});
  }
}

TEST(CatalogueRefresh, FailingReloadStopsLoadingRebuildsAndShowsWhy) {
  RecordingMessageSink messages;
  Recorder r;
  r.fail_at = "database";
  CatalogueRefresh refresh = r.refresh();
  refresh.update_button_clicked();
  EXPECT_EQ(r.steps, (std::vector<std::string>{"write user files", "reset", "user channels", "database", "rebuild"}));
  ASSERT_EQ(messages.shown.size(), 1u);  // the error, and no website question
  EXPECT_EQ(messages.shown[0].kind, MessageKind::Error);
  EXPECT_EQ(messages.shown[0].text, "Line 3 of the channel table is damaged");
  EXPECT_TRUE(r.opened.empty());
  // The splash window is gone.
  for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_NE(w->objectName(), "T_splashForm");
}
}  // namespace
