#include "shell/catalogue_refresh.h"

#include "catalogue/catalogue_paths.h"
#include "services/catalogue_trial_load.h"
#include "services/service_addresses.h"
#include "settings/settings_store.h"
#include "shell/app_state.h"
#include "test_env.h"
#include "widgets/messages.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
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

Channel named(const char* name, int32_t id, uint16_t user_defined = 0) {
  Channel item;
  item.id = id;
  item.name = ShortText::from_text(QString::fromUtf8(name));
  item.group_id = kGroupRadio;
  item.user_defined = user_defined;
  return item;
}

std::vector<std::string> names(const AppState& state) {
  std::vector<std::string> result;
  for (const Channel& item : state.catalogue.channels) result.push_back(item.name.text().toStdString());
  return result;
}

// A running program with one channel of the user's added in this run, and a download that brought
// three catalogue channels; the reload is recorded.
struct Program {
  Program() {
    quovi_test::catalogue_folder();
    state.catalogue.app_data = app_data_folder();
    state.catalogue.user_files_loaded = true;
    state.catalogue.channels = {named("Old", 5), named("Mine", -1, 1)};
    state.sort_flag = true;  // the start-up sort ran ascending and turned the flag over
    write_integer_setting(kSettingsKey, "selected", kGroupRadio);  // the view the reload restores
  }
  // What the download's trial load read.
  Catalogue downloaded() {
    Catalogue catalogue = catalogue_to_load(state.catalogue);
    for (const char* name : {"Beta", "Alpha", "Gamma"}) catalogue.channels.push_back(named(name, 10));
    return catalogue;
  }
  ReloadHooks hooks() {
    return {[this] { steps.push_back("before rebuild"); },
            [this](const ViewUpdate& update) { steps.push_back("after rebuild " + std::to_string(update.row_count)); }};
  }
  CatalogueRefresh refresh() {
    return CatalogueRefresh(
        state, nullptr,
        [this]() -> std::optional<Catalogue> {
          ++dialogs;
          if (!download_completes) return std::nullopt;
          return downloaded();
        },
        hooks(), [this](const QUrl& url) { opened.push_back(url); });
  }

  AppState state;
  std::vector<std::string> steps;
  bool download_completes = true;
  int dialogs = 0;
  std::vector<QUrl> opened;
};

// The window's model reset begins while the old list is in place and ends with the new one: three
// catalogue channels and the user's in the Radio view.
const std::vector<std::string> kReloaded = {"before rebuild", "after rebuild 4"};

TEST(CatalogueRefresh, QuestionAnsweredNoAsksAgainOnlyAfterARealActivation) {
  RecordingMessageSink messages;
  Program p;
  p.state.outdated = true;
  CatalogueRefresh refresh = p.refresh();
  refresh.main_window_activated();
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, kDownloadQuestion);
  EXPECT_EQ(p.dialogs, 0);
  refresh.main_window_activated();
  EXPECT_EQ(messages.shown.size(), 1u);
  refresh.program_deactivated();
  refresh.main_window_activated();
  EXPECT_EQ(messages.shown.size(), 2u);
  p.state.outdated = false;
  refresh.program_deactivated();
  refresh.main_window_activated();
  EXPECT_EQ(messages.shown.size(), 2u);
}

TEST(CatalogueRefresh, YesDownloadsAndReloadsSortedTheOtherWayKeepingTheUsersChannels) {
  RecordingMessageSink messages;
  messages.answers = {true};
  Program p;
  p.state.outdated = true;
  CatalogueRefresh refresh = p.refresh();
  refresh.main_window_activated();
  EXPECT_EQ(p.dialogs, 1);
  EXPECT_EQ(p.steps, kReloaded);
  // Reset away "Old"; "Mine" came back from userdef.dat written just before; sorted descending.
  EXPECT_EQ(names(p.state), (std::vector<std::string>{"Mine", "Gamma", "Beta", "Alpha"}));
  EXPECT_FALSE(p.state.sort_flag);
  EXPECT_TRUE(p.state.outdated);  // not recomputed; the dialog's Close clears it
  EXPECT_EQ(messages.shown.size(), 1u);  // no message after the reload
}

TEST(CatalogueRefresh, DialogLeftWithoutCompleteReloadsNothing) {
  RecordingMessageSink messages;
  messages.answers = {true};
  Program p;
  p.state.outdated = true;
  p.download_completes = false;
  CatalogueRefresh refresh = p.refresh();
  refresh.main_window_activated();
  refresh.update_button_clicked();
  EXPECT_EQ(p.dialogs, 2);
  EXPECT_TRUE(p.steps.empty());
  EXPECT_EQ(names(p.state), (std::vector<std::string>{"Old", "Mine"}));
  EXPECT_EQ(messages.shown.size(), 1u);
}

TEST(CatalogueRefresh, UpdateButtonKeepsTheSortDirectionAndOffersTheWebsite) {
  write_service_base("feedback", "http://127.0.0.1:8999");
  for (const bool visit : {true, false}) {
    RecordingMessageSink messages;
    messages.answers = {visit};
    Program p;
    CatalogueRefresh refresh = p.refresh();
    refresh.update_button_clicked();
    EXPECT_EQ(p.steps, kReloaded);
    EXPECT_EQ(names(p.state), (std::vector<std::string>{"Alpha", "Beta", "Gamma", "Mine"}));  // ascending, as before
    EXPECT_TRUE(p.state.sort_flag);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, kWebsiteQuestion);
    EXPECT_EQ(p.opened, visit ? std::vector<QUrl>{QUrl("http://127.0.0.1:8999/update.html")} : std::vector<QUrl>{});
  }
}

TEST(CatalogueRefresh, UnsavedUserFilesStopTheReload) {
  RecordingMessageSink messages;
  Program p;
  p.state.visible = {0, 1};
  ASSERT_TRUE(QDir().mkpath(userdef_path(p.state.catalogue.app_data)));  // a folder cannot be replaced by the file
  CatalogueRefresh refresh = p.refresh();
  refresh.update_button_clicked();
  EXPECT_TRUE(p.steps.empty());
  EXPECT_EQ(names(p.state), (std::vector<std::string>{"Old", "Mine"}));
  EXPECT_EQ(p.state.visible, (std::vector<int>{0, 1}));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].kind, MessageKind::Error);
  EXPECT_TRUE(messages.shown[0].text.contains("userdef.dat"));
}
TEST(CatalogueRefresh, WriteBeforeTheReloadKeepsFavouritesOfACatalogueThatDidNotLoad) {
  RecordingMessageSink messages;
  Program p;
  // The channel database did not load at start: only the user's channel is in memory, and the
  // favourites id list also names two catalogue channels.
  Channel mine = named("Mine", 100001, 1);
  mine.favorited = 1;
  p.state.catalogue.channels = {mine};
  p.state.catalogue.favorites = {1, 101, 100001};
  EXPECT_TRUE(reload_after_download(p.state, ReloadCaller::UpdateButton, p.downloaded(), nullptr, p.hooks()));
  EXPECT_EQ(quovi_test::read_all(favorites_path(p.state.catalogue.app_data)), "1\r\n101\r\n100001\r\n");
  EXPECT_EQ(p.state.catalogue.favorites, (std::vector<int32_t>{1, 101, 100001}));
}

}  // namespace
