// The whole road of a catalogue refresh: the download dialog loads the new catalogue once, the
// reload makes it the program's catalogue, and the result is what a fresh start with the new file
// gives.
#include "catalogue/catalogue_generator.h"
#include "catalogue/catalogue_paths.h"
#include "catalogue/channel_cipher.h"
#include "catalogue/channel_database.h"
#include "catalogue/user_files.h"
#include "dialogs/download_dialog.h"
#include "services/catalogue_trial_load.h"
#include "services/service_addresses.h"
#include "settings/settings_store.h"
#include "shell/catalogue_load.h"
#include "shell/catalogue_refresh.h"
#include "test_env.h"
#include "test_server.h"
#include "views/sorting.h"
#include "views/view_builder.h"
#include "widgets/messages.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <sstream>

namespace {
const QDateTime kNow(QDate(2026, 3, 2), QTime(12, 0), Qt::LocalTime);

// channels.dat of made-up channels stamped `stamp`.
QByteArray catalogue_file(uint64_t seed, size_t channels, const std::string& stamp) {
  std::vector<ZipMember> members = generate_catalogue_members({channels / 3, channels / 2, channels / 6, seed});
  members[0].content = stamp + "\r\n";  // version.dat
  return QByteArray::fromStdString(encrypt_channel_file(make_zip(members)));
}

// Everything a load decides, one line per part, so that a difference shows where it is.
std::string summary(const AppState& s) {
  const Catalogue& c = s.catalogue;
  std::ostringstream out;
  out << "stamp " << c.version_stamp << " countries " << c.countries.size() << " genres " << c.genres.size()
      << " highest user id " << c.highest_user_id << " outdated " << s.outdated << " user files "
      << c.user_files_loaded << "\nfavourites";
  // A reload keeps the list in memory in the order it grew; a start reads it in the order written.
  std::vector<int32_t> favorites = c.favorites;
  std::sort(favorites.begin(), favorites.end());
  for (int32_t id : favorites) out << ' ' << id;
  const ChannelFilter& f = c.filter;
  out << "\nfilter " << f.group_id << ' ' << f.favorited << ' ' << f.name_flag << f.country_flag << f.genre_flag
      << f.bitrate_flag << f.status_flag << ' ' << f.name.toStdString() << ' ' << f.country_id << ' ' << f.genre_id
      << ' ' << f.bitrate << ' ' << f.workfine << f.notworking << f.new_ << f.wrong << f.duplicate << f.spam;
  out << "\nsort " << s.sort_flag << ' ' << s.last_sort_column << "\nchannels";
  for (const Channel& item : c.channels)
    out << ' ' << item.id << '/' << item.user_defined << item.favorited << '/' << item.genre.bytes();
  out << "\nvisible";
  for (int position : s.visible) out << ' ' << position;
  return out.str();
}

// Ids of the database channels in a channel file.
std::vector<int32_t> ids_in(const QByteArray& file) {
  Catalogue catalogue;
  load_channel_database_bytes(catalogue, {}, file.toStdString());
  std::vector<int32_t> ids;
  for (const Channel& item : catalogue.channels) ids.push_back(item.id);
  std::sort(ids.begin(), ids.end());
  return ids;
}

class DownloadReload : public testing::Test {
 protected:
  void SetUp() override {
    write_service_base("catalogue", server.base());
    write_service_base("feedback", server.base());
    app_data = app_data_folder();
    quovi_test::catalogue_folder();
    // Channels of both catalogues: a favourite on file, and one to mark in the run.
    const std::vector<int32_t> before = ids_in(old_file), after = ids_in(new_file);
    std::set_intersection(before.begin(), before.end(), after.begin(), after.end(), std::back_inserter(shared));
    ASSERT_GE(shared.size(), 2u);
    ASSERT_TRUE(quovi_test::write_all(favorites_path(app_data), QByteArray::number(shared[0]) + "\r\n100001\r\n"));
    ASSERT_TRUE(quovi_test::write_all(userdef_path(app_data), "100001|2|0|Mine|http://a/|128|1||33|12|\r\n"
                                                              "100002|2|1|Zed Mine|http://b/|64|1||7|3|mine\r\n"));
    // The Radio view with a bitrate criterion.
    write_integer_setting(kSettingsKey, "selected", kGroupRadio);
    write_integer_setting(kSettingsKey, "bitrate_f", 1);
    write_integer_setting(kSettingsKey, "bitrate", 64);
  }

  // The program as started with `file`; the database outdated at kNow.
  void start_with(const QByteArray& file) {
    if (!file.isEmpty()) {
      ASSERT_TRUE(quovi_test::write_all(channels_path(app_data), file));
    }
    load_catalogue(state, nullptr, {}, kNow);
  }

  // Shows the dialog, waits for the download, presses Close; the dialog's answer as the refresh takes it.
  std::optional<Catalogue> download() {
    dialog.show();
    EXPECT_TRUE(wait_until([&] { return !dialog.downloading(); }, 20000));
    status = dialog.status_text();
    // The reload works from what the dialog loaded, never from the file: spoil it meanwhile.
    if (status == "Complete!") {
      EXPECT_TRUE(quovi_test::write_all(channels_path(app_data), "spoilt"));
    }
    leave();
    EXPECT_TRUE(wait_until([&] { return !dialog.isVisible(); }));
    if (dialog.result() != QDialog::Accepted) return std::nullopt;
    return dialog.take_catalogue();
  }

  CatalogueRefresh refresh() {
    return CatalogueRefresh(state, nullptr, [this] { return download(); }, {}, [](const QUrl&) {});
  }

  // A fresh start with the files the reload left, the new catalogue in place.
  std::string fresh_start(const QByteArray& file) {
    EXPECT_TRUE(quovi_test::write_all(channels_path(app_data), file));
    AppState fresh;
    load_catalogue(fresh, nullptr, {}, kNow);
    return summary(fresh);
  }
  // The same, then the load the download question makes, which sorts once more: the summary without
  // the channels' order, and the names in order (channels of the same name may come in any order).
  std::pair<std::string, std::vector<QString>> fresh_start_then_question_reload(const QByteArray& file) {
    EXPECT_TRUE(quovi_test::write_all(channels_path(app_data), file));
    AppState fresh;
    load_catalogue(fresh, nullptr, {}, kNow);
    sort_after_load(fresh);
    build_visible_list(fresh);
    return {summary_without_order(fresh), names_in_order(fresh)};
  }
  static std::string summary_without_order(const AppState& s) {
    std::string text = summary(s);
    return text.erase(text.find("\nchannels "));
  }
  // Every channel's name and then the listed ones', in order.
  static std::vector<QString> names_in_order(const AppState& s) {
    std::vector<QString> names;
    for (const Channel& c : s.catalogue.channels) names.push_back(c.name.text());
    names.push_back(QStringLiteral("| listed:"));
    for (int position : s.visible) names.push_back(s.catalogue.channels[static_cast<size_t>(position)].name.text());
    return names;
  }

  const QByteArray old_file = catalogue_file(3, 60, "202601010000");
  const QByteArray new_file = catalogue_file(5, 120, "202603011200");
  std::vector<int32_t> shared;
  TestServer server;
  QString app_data;
  RecordingMessageSink messages;
  AppState state;
  std::atomic<int> parses{0};
  DownloadDialog dialog{state.catalogue, state.outdated, nullptr, [this](Catalogue& into, std::string bytes) {
                          ++parses;
                          return trial_load_catalogue(into, std::move(bytes));
                        }};
  QString status;
  // How the user leaves the dialog once the download has ended.
  std::function<void()> leave = [this] { dialog.findChild<QAbstractButton*>("CloseButton")->click(); };
};

TEST_F(DownloadReload, UpdateGivesWhatAFreshStartWithTheNewFileGives) {
  start_with(old_file);
  ASSERT_TRUE(state.outdated);
  ASSERT_EQ(state.catalogue.channels.size(), 62u);
  // Changed in this run and not yet written: a new favourite.
  ASSERT_FALSE(set_favorite(state.catalogue, find_channel_by_id(state.catalogue, shared[1]), true));

  server.reply("/service/get.php", 200, catalogue_reply(258, new_file));
  refresh().update_button_clicked();
  ASSERT_EQ(status, "Complete!");
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, kWebsiteQuestion);
  EXPECT_EQ(parses, 1);

  EXPECT_EQ(state.catalogue.channels.size(), 122u);
  EXPECT_EQ(summary(state), fresh_start(new_file));
  for (const int32_t id : {shared[0], shared[1], 100001})
    EXPECT_EQ(state.catalogue.channels[find_channel_by_id(state.catalogue, id)].favorited, 1) << id;
}

// A run that started without a catalogue read the user's files all the same; the favourites they
// name mark the new catalogue's channels.
TEST_F(DownloadReload, FirstDownloadMarksTheFavouritesReadAtTheStart) {
  start_with({});
  ASSERT_TRUE(state.outdated);
  ASSERT_TRUE(state.catalogue.user_files_loaded);
  messages.answers = {true};  // Yes to the download question
  server.reply("/service/get.php", 200, catalogue_reply(258, new_file));
  refresh().main_window_activated();
  ASSERT_EQ(status, "Complete!");
  EXPECT_EQ(parses, 1);
  // The start sorted its list as any start does: the reload sorts as after any start.
  const auto [expected_summary, expected_names] = fresh_start_then_question_reload(new_file);
  EXPECT_EQ(summary_without_order(state), expected_summary);
  EXPECT_EQ(names_in_order(state), expected_names);
  EXPECT_EQ(state.catalogue.channels[find_channel_by_id(state.catalogue, shared[0])].favorited, 1);
}

// The splash window is up, over the list and holding off the user's input, from the moment the
// dialog is gone until the new list is shown; then the window is drawn at once, before the website
// question comes, so nothing of the splash or the dialog stays on it.
TEST_F(DownloadReload, TheSplashCoversTheWholeReload) {
  const auto splash_shown = [] {
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(), [](const QWidget* w) {
      return w->objectName() == "SplashScreen" && w->isVisible() && w->isModal();
    });
  };
  // The main window, and whether it was painted since the splash went.
  struct Window : QWidget {
    std::function<bool()> splash_shown;
    bool painted_clear = false;
    void paintEvent(QPaintEvent*) override { painted_clear = !splash_shown(); }
  } window;
  window.splash_shown = splash_shown;
  window.resize(600, 400);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  struct SplashAtQuestion : RecordingMessageSink {
    std::function<std::string()> seen_now;
    std::vector<std::string> seen;
    bool ask(QWidget* parent, const QString& title, const QString& text) override {
      seen.push_back(seen_now());
      return RecordingMessageSink::ask(parent, title, text);
    }
  } questions;
  questions.seen_now = [&] {
    return std::string(splash_shown() ? "under the splash" : "splash gone") +
           (window.painted_clear ? ", window painted" : ", window not painted since");
  };
  start_with(old_file);
  std::vector<std::string> steps;
  const auto step = [&](const char* name) {
    steps.push_back(std::string(name) + (splash_shown() ? " under the splash" : "") +
                    (dialog.isVisible() ? " with the dialog" : ""));
  };
  ReloadHooks hooks{[&] { step("before"); },
                    [&](const ViewUpdate&) {
                      step("after");
                      window.painted_clear = false;
                    }};
  server.reply("/service/get.php", 200, catalogue_reply(258, new_file));
  CatalogueRefresh(state, &window, [this] { return download(); }, hooks, [](const QUrl&) {}).update_button_clicked();
  ASSERT_EQ(status, "Complete!");
  EXPECT_EQ(steps, (std::vector<std::string>{"before under the splash", "after under the splash"}));
  EXPECT_EQ(questions.seen, std::vector<std::string>{"splash gone, window painted"});
  EXPECT_FALSE(splash_shown());
}

// Once the new list is in place, Return, Escape and the title bar's close box leave the dialog as
// Close does: the list is loaded, and the question of an outdated list does not come back.
TEST_F(DownloadReload, LeavingTheDialogInAnyWayLoadsTheNewList) {
  const struct {
    const char* what;
    std::function<void()> leave;
  } ways[] = {
      {"Return", [this] { QTest::keyClick(dialog.focusWidget(), Qt::Key_Return); }},
      {"Escape", [this] { QTest::keyClick(dialog.focusWidget(), Qt::Key_Escape); }},
      {"title bar", [this] { dialog.close(); }},
  };
  for (const auto& way : ways) {
    start_with(old_file);
    ASSERT_TRUE(state.outdated) << way.what;
    leave = way.leave;
    messages.shown.clear();
    messages.answers = {true};  // Yes to the download question
    server.reply("/service/get.php", 200, catalogue_reply(258, new_file));
    CatalogueRefresh refreshing = refresh();
    refreshing.main_window_activated();
    ASSERT_EQ(status, "Complete!") << way.what;
    EXPECT_EQ(state.catalogue.version_stamp, "202603011200") << way.what;
    EXPECT_EQ(state.catalogue.channels.size(), 122u) << way.what;
    EXPECT_FALSE(state.outdated) << way.what;
    // The user goes to another window and comes back: nothing is asked.
    refreshing.program_deactivated();
    refreshing.main_window_activated();
    EXPECT_EQ(messages.shown.size(), 1u) << way.what;
  }
}

TEST_F(DownloadReload, ACatalogueThatDoesNotLoadChangesNothing) {
  const QByteArray old = catalogue_file(3, 60, "202603011200");
  start_with(old);
  const std::string before = summary(state);
  QByteArray damaged = new_file;
  damaged[damaged.size() / 2] = static_cast<char>(damaged[damaged.size() / 2] ^ 0x55);
  server.reply("/service/get.php", 200, catalogue_reply(258, damaged));
  refresh().update_button_clicked();
  EXPECT_TRUE(status.startsWith("Damaged catalogue: ")) << status.toStdString();
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(summary(state), before);
  EXPECT_EQ(quovi_test::read_all(channels_path(app_data)), old);
}
}  // namespace
