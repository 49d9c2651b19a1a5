#include "services/update_form.h"

#include "catalogue/app_state.h"
#include "catalogue/catalogue_paths.h"
#include "services/http_request.h"
#include "services/service_addresses.h"
#include "stalled_lookup.h"
#include "test_env.h"
#include "test_server.h"
#include "widgets/messages.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QSettings>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {
const std::string kPath = "/service/get.php";

// Stands in for the catalogue loader: accepts what starts with "GOOD".
QString fake_trial(const std::string& bytes) {
  return bytes.rfind("GOOD", 0) == 0 ? QString() : QStringLiteral("not a catalogue");
}

class UpdateForm : public testing::Test {
 protected:
  void SetUp() override {
    write_service_base("catalogue", server.base());
    quovi_test::catalogue_folder();
    state.app_data = app_data_folder();
    state.outdated = true;
    state.catalogue.info.stVersion = "202612011200";
    ASSERT_TRUE(quovi_test::write_all(channels_path(state.app_data), "old catalogue, longer than the new one"));
  }

  QToolButton* button(const char* name) { return form.findChild<QToolButton*>(name); }
  bool close_shown() { return button("CloseAdvToolButton")->isVisible() && !button("CancelAdvToolButton")->isVisible(); }
  QByteArray channels_file() { return quovi_test::read_all(channels_path(state.app_data)); }

  // Shows the dialog and waits for the download's outcome.
  QString download() {
    form.show();
    EXPECT_TRUE(wait_until([&] { return !form.downloading(); }));
    return form.status_text();
  }
  // Presses Close and answers the dialog's result.
  int close() {
    button("CloseAdvToolButton")->click();
    EXPECT_TRUE(wait_until([&] { return !form.isVisible(); }));
    return form.result();
  }

  TestServer server;
  AppState state;
  RecordingMessageSink messages;
  T_updateForm form{state, nullptr, fake_trial};
};

TEST_F(UpdateForm, Layout) {
  EXPECT_EQ(form.windowTitle(), "update list ...");
  EXPECT_EQ(form.size(), QSize(362, 78));
  EXPECT_EQ(form.findChild<QLabel*>("StatusLabel")->text(), "Status:");
  EXPECT_TRUE(form.findChild<QLabel*>("StatusLabel")->font().bold());
  EXPECT_EQ(form.findChild<QLabel*>("StatusrLabel")->pos(), QPoint(58, 7));
  EXPECT_EQ(form.findChild<QProgressBar*>("UpdateAdvProgressBar")->geometry(), QRect(7, 27, 348, 18));
  EXPECT_EQ(button("CancelAdvToolButton")->geometry(), QRect(268, 52, 86, 22));
  EXPECT_EQ(button("CloseAdvToolButton")->geometry(), QRect(268, 52, 86, 22));
  EXPECT_EQ(button("CancelAdvToolButton")->text(), "Cancel");
  EXPECT_EQ(button("CloseAdvToolButton")->text(), "Close");
}

TEST_F(UpdateForm, NewCatalogueReplacesTheFileAndCloseGivesOk) {
  server.reply(kPath, 200, catalogue_reply(258, "GOOD catalogue"));
  EXPECT_EQ(download(), "Complete!");
  EXPECT_EQ(channels_file(), "GOOD catalogue");
  EXPECT_EQ(form.progress(), 100);
  EXPECT_TRUE(close_shown());
  const auto received = server.received();
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].target, "/service/get.php?key='&date=202612011200");
  EXPECT_EQ(received[0].user_agent, "Quovi/5.1.5.0");
  EXPECT_EQ(close(), QDialog::Accepted);
  EXPECT_FALSE(state.outdated);
}

TEST_F(UpdateForm, EveryOtherOutcomeKeepsTheFileAndCloseGivesCancel) {
  QByteArray wrong_length = catalogue_reply(258, "GOOD catalogue");
  wrong_length[2] = static_cast<char>(wrong_length[2] + 1);
  struct Case {
    const char* what;
    int http_status;
    QByteArray body;
    QString status;
  } cases[] = {
      {"message", 200, catalogue_reply(259, "Service closed for maintenance"), "Service closed for maintenance"},
      {"damaged catalogue", 200, catalogue_reply(258, "rubbish"), "Damaged catalogue: not a catalogue"},
      {"unknown code", 200, catalogue_reply(257, "GOOD catalogue"), "Unknown protocol"},
      {"seven bytes", 200, catalogue_reply(258, "G"), "Incomplete download"},
      {"wrong length", 200, wrong_length, "Incomplete download"},
      {"error status", 404, "GOOD", "The requested URL returned error: 404"},
  };
  const QByteArray old_file = channels_file();
  for (const Case& c : cases) {
    state.outdated = true;
    server.reply(kPath, c.http_status, c.body);
    EXPECT_EQ(download(), c.status) << c.what;
    EXPECT_EQ(channels_file(), old_file) << c.what;
    EXPECT_TRUE(close_shown()) << c.what;
    EXPECT_EQ(close(), QDialog::Rejected) << c.what;
    EXPECT_FALSE(state.outdated) << c.what;
  }
  EXPECT_TRUE(messages.shown.empty());
}

// A hostile or broken service cannot make the program hold more than the limit in memory.
TEST_F(UpdateForm, AReplyLargerThanTheLimitIsRefused) {
  QSettings(services_settings_path(), QSettings::IniFormat).setValue("Services/catalogue_limit_mb", 1);
  const QByteArray old_file = channels_file();
  const QByteArray too_large = catalogue_reply(258, "GOOD" + QByteArray(1000000 - 3, 'z'));
  server.reply(kPath, 200, too_large);
  EXPECT_EQ(download(), "Refused: the reply is larger than 1.00 Mb (setting \"catalogue_limit_mb\")");
  EXPECT_EQ(channels_file(), old_file);
  EXPECT_EQ(close(), QDialog::Rejected);

  server.reply_chunked(kPath, too_large);
  EXPECT_EQ(download(), "Refused: the reply is larger than 1.00 Mb (setting \"catalogue_limit_mb\")");
  EXPECT_EQ(channels_file(), old_file);
  close();

  const QByteArray at_limit = catalogue_reply(258, "GOOD" + QByteArray(1000000 - 4, 'z'));
  server.reply(kPath, 200, at_limit);
  EXPECT_EQ(download(), "Complete!");
  EXPECT_EQ(channels_file(), at_limit.mid(6));
}

TEST_F(UpdateForm, RedirectedRequestWithoutStamp) {
  state.catalogue.info.stVersion.clear();
  server.redirect(kPath, "/mirror/get.php");
  server.reply("/mirror/get.php", 200, catalogue_reply(258, "GOOD mirrored"));
  EXPECT_EQ(download(), "Complete!");
  EXPECT_EQ(channels_file(), "GOOD mirrored");
  ASSERT_EQ(server.received().size(), 2u);
  EXPECT_EQ(server.received()[0].target, "/service/get.php?key='");
}

TEST_F(UpdateForm, ProgressThenCancelInTheMiddleOfTheBody) {
  const QByteArray body = catalogue_reply(258, "GOOD" + QByteArray(1994, 'z'));  // 2000 bytes
  server.stall_after(kPath, body, 1000);
  form.show();
  ASSERT_TRUE(wait_until([&] { return form.progress() == 50; }));
  EXPECT_EQ(form.status_text(), " downloading  1000 b of 2 Kb ...");
  EXPECT_FALSE(close_shown());

  button("CancelAdvToolButton")->click();
  EXPECT_EQ(form.status_text(), "Interrupted");
  EXPECT_TRUE(close_shown());
  ASSERT_TRUE(wait_until([&] { return !form.downloading(); }));
  EXPECT_EQ(form.status_text(), HttpRequest::aborted_text());
  EXPECT_EQ(close(), QDialog::Rejected);
  EXPECT_EQ(channels_file(), "old catalogue, longer than the new one");
}

TEST_F(UpdateForm, CancelWhileWaitingForHeadersAndCloseAtOnce) {
  server.stall(kPath);
  form.show();
  ASSERT_TRUE(server.wait_for_stalled());
  button("CancelAdvToolButton")->click();
  EXPECT_EQ(form.status_text(), "Interrupted");
  // Close pressed before the cancelled transfer has ended takes effect once it has.
  button("CloseAdvToolButton")->click();
  ASSERT_TRUE(wait_until([&] { return !form.isVisible(); }, 1000));
  EXPECT_EQ(form.result(), QDialog::Rejected);
  EXPECT_EQ(form.status_text(), HttpRequest::aborted_text());
  EXPECT_FALSE(state.outdated);
}

TEST_F(UpdateForm, TitleBarCloseCutsTheTransferAndKeepsOutdated) {
  server.stall(kPath);
  form.show();
  ASSERT_TRUE(server.wait_for_stalled());
  form.close();  // as the title-bar close box does
  EXPECT_FALSE(form.downloading());
  EXPECT_EQ(form.result(), QDialog::Rejected);
  EXPECT_TRUE(state.outdated);
}

// While the service's name is being looked up, Cancel and Close and the title-bar close box answer
// at once, however long the lookup hangs.
TEST_F(UpdateForm, CancelAndCloseDuringAHangingNameLookup) {
  if (!run_with_stalling_resolver()) return;
  write_service_base("catalogue", QStringLiteral("http://") + kStallingHost);
  for (const bool title_bar : {false, true}) {
    const int before = stalled_lookups();
    form.show();
    ASSERT_TRUE(wait_for_stalled_lookup(before)) << title_bar;
    QElapsedTimer clock;
    clock.start();
    if (title_bar) {
      form.close();
    } else {
      button("CancelAdvToolButton")->click();
      button("CloseAdvToolButton")->click();
      ASSERT_TRUE(wait_until([&] { return !form.isVisible(); }, 2000));
      EXPECT_EQ(form.status_text(), HttpRequest::aborted_text());
    }
    EXPECT_LT(clock.elapsed(), 500) << title_bar;
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Rejected);
  }
}

TEST_F(UpdateForm, EachShowingStartsAFreshDownload) {
  server.reply(kPath, 200, catalogue_reply(259, "first"));
  EXPECT_EQ(download(), "first");
  close();
  server.reply(kPath, 200, catalogue_reply(258, "GOOD second"));
  form.show();
  EXPECT_EQ(form.status_text(), "Ready");
  EXPECT_EQ(form.progress(), 0);
  EXPECT_FALSE(close_shown());
  ASSERT_TRUE(wait_until([&] { return !form.downloading(); }));
  EXPECT_EQ(form.status_text(), "Complete!");
  EXPECT_EQ(server.received().size(), 2u);
}

TEST_F(UpdateForm, WriteFailureIsShownAndCloseGivesCancel) {
  QFile::remove(channels_path(state.app_data));
  ASSERT_TRUE(QDir().mkpath(channels_path(state.app_data)));  // cannot be replaced by a file
  server.reply(kPath, 200, catalogue_reply(258, "GOOD catalogue"));
  const QString status = download();
  EXPECT_TRUE(status.startsWith("Cannot write")) << status.toStdString();
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].kind, MessageKind::Error);
  EXPECT_EQ(messages.shown[0].text, status);
  EXPECT_EQ(close(), QDialog::Rejected);
}
// The whole road with the real catalogue loader as the trial.
TEST(UpdateFormWithLoader, ReplacesOnlyWithACatalogueThatLoads) {
  TestServer server;
  write_service_base("catalogue", server.base());
  quovi_test::catalogue_folder();
  AppState state;
  state.app_data = app_data_folder();
  ASSERT_TRUE(quovi_test::write_all(channels_path(state.app_data), "old catalogue"));
  const QByteArray sample = quovi_test::read_all(quovi_test::fixture("catalogue/sample-channels.dat"));
  ASSERT_FALSE(sample.isEmpty());
  T_updateForm form(state);

  const std::pair<QByteArray, QString> cases[] = {
      {"not a catalogue", "Damaged catalogue: it holds no channel list"},
      {sample.left(sample.size() / 2), "Damaged catalogue: it holds no channel list"},
      {sample, "Complete!"},
  };
  for (const auto& [payload, status] : cases) {
    const QByteArray before = quovi_test::read_all(channels_path(state.app_data));
    server.reply(kPath, 200, catalogue_reply(258, payload));
    form.show();
    ASSERT_TRUE(wait_until([&] { return !form.downloading(); }));
    EXPECT_EQ(form.status_text(), status);
    EXPECT_EQ(quovi_test::read_all(channels_path(state.app_data)), status == "Complete!" ? sample : before);
    form.findChild<QToolButton*>("CloseAdvToolButton")->click();
    EXPECT_EQ(form.result(), status == "Complete!" ? QDialog::Accepted : QDialog::Rejected);
  }
}
}  // namespace
