#include "dialogs/download_dialog.h"

#include "catalogue/catalogue_paths.h"
#include "services/http_request.h"
#include "services/service_addresses.h"
#include "shell/app_state.h"
#include "stalled_lookup.h"
#include "test_env.h"
#include "test_server.h"
#include "widgets/messages.h"

#include <QAbstractButton>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QThreadPool>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

namespace {
const std::string kPath = "/service/get.php";

// Stands in for the catalogue loader: accepts what starts with "GOOD", keeping it as the stamp of
// what it loaded. While `held` is set it waits on its worker thread, so a test can act meanwhile.
std::atomic<bool> held{false};
std::atomic<int> trials{0};
QString fake_trial(Catalogue& into, std::string bytes) {
  ++trials;
  while (held.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  if (bytes.rfind("GOOD", 0) != 0) return QStringLiteral("not a catalogue");
  into.version_stamp = bytes;
  return {};
}

// A port of 127.0.0.1 on which nobody listens: the system's pick of a free one, given back at once.
int unused_port() {
  const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  const bool bound = ::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                     ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) == 0;
  ::close(socket);
  return bound ? ntohs(address.sin_port) : 0;
}

class DownloadDialogTest : public testing::Test {
 protected:
  void SetUp() override {
    held = false;
    trials = 0;
    write_service_base("catalogue", server.base());
    quovi_test::catalogue_folder();
    state.catalogue.app_data = app_data_folder();
    state.outdated = true;
    state.catalogue.version_stamp = "202612011200";
    ASSERT_TRUE(quovi_test::write_all(channels_path(state.catalogue.app_data), "old catalogue, longer than the new one"));
  }

  QAbstractButton* button(const char* name) { return dialog.findChild<QAbstractButton*>(name); }
  bool close_shown() { return button("CloseButton")->isVisible() && !button("CancelButton")->isVisible(); }
  QByteArray channels_file() { return quovi_test::read_all(channels_path(state.catalogue.app_data)); }

  // Shows the dialog and waits for the download's outcome.
  QString download() {
    dialog.show();
    EXPECT_TRUE(wait_until([&] { return !dialog.downloading(); }));
    return dialog.status_text();
  }
  // Presses Close and answers the dialog's result.
  int close() {
    button("CloseButton")->click();
    EXPECT_TRUE(wait_until([&] { return !dialog.isVisible(); }));
    return dialog.result();
  }

  TestServer server;
  AppState state;
  RecordingMessageSink messages;
  DownloadDialog dialog{state.catalogue, state.outdated, nullptr, fake_trial};
};

TEST_F(DownloadDialogTest, Layout) {
  EXPECT_EQ(dialog.windowTitle(), "update list ...");
  EXPECT_EQ(dialog.size(), QSize(362, 78));
  EXPECT_EQ(dialog.findChild<QLabel*>("StatusLabel")->text(), "Status:");
  EXPECT_TRUE(dialog.findChild<QLabel*>("StatusLabel")->font().bold());
  // At 58 where the caption leaves room for it (see TheStatusKeepsASpaceFromTheCaption).
  EXPECT_EQ(dialog.findChild<QLabel*>("StatusTextLabel")->y(), 7);
  EXPECT_GE(dialog.findChild<QLabel*>("StatusTextLabel")->x(), 58);
  EXPECT_EQ(dialog.findChild<QProgressBar*>("ProgressBar")->geometry(), QRect(7, 27, 348, 18));
  EXPECT_EQ(button("CancelButton")->geometry(), QRect(268, 52, 86, 22));
  EXPECT_EQ(button("CloseButton")->geometry(), QRect(268, 52, 86, 22));
  EXPECT_EQ(button("CancelButton")->text(), "Cancel");
  EXPECT_EQ(button("CloseButton")->text(), "Close");
}

TEST_F(DownloadDialogTest, NewCatalogueReplacesTheFileAndCloseGivesOk) {
  server.reply(kPath, 200, catalogue_reply(258, "GOOD catalogue"));
  EXPECT_EQ(download(), "Complete!");
  EXPECT_EQ(channels_file(), "GOOD catalogue");
  EXPECT_EQ(trials, 1);
  EXPECT_EQ(dialog.progress(), 100);
  EXPECT_TRUE(close_shown());
  const auto received = server.received();
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].target, "/service/get.php?key='&date=202612011200");
  EXPECT_EQ(received[0].user_agent, "Quovi/5.1.5.0");
  EXPECT_EQ(close(), QDialog::Accepted);
  EXPECT_FALSE(state.outdated);
  // What the trial loaded is handed over once, for the reload.
  const std::optional<Catalogue> loaded = dialog.take_catalogue();
  ASSERT_TRUE(loaded.has_value());
  EXPECT_EQ(loaded->version_stamp, "GOOD catalogue");
  EXPECT_FALSE(dialog.take_catalogue().has_value());
}

// Cancel, the title-bar close box and Close answer at once while the new catalogue loads on its
// worker thread; the catalogue is then dropped and the old file stays.
TEST_F(DownloadDialogTest, CancelOrCloseWhileTheNewCatalogueLoads) {
  for (const bool title_bar : {false, true}) {
    const int before = trials;
    held = true;
    server.reply(kPath, 200, catalogue_reply(258, "GOOD catalogue"));
    dialog.show();
    ASSERT_TRUE(wait_until([&] { return trials > before; })) << title_bar;
    EXPECT_TRUE(dialog.downloading());
    EXPECT_FALSE(close_shown());
    if (title_bar) {
      dialog.close();
      EXPECT_FALSE(dialog.isVisible());
    } else {
      button("CancelButton")->click();
      EXPECT_EQ(dialog.status_text(), "Interrupted");
      button("CloseButton")->click();
      EXPECT_TRUE(dialog.isVisible());  // closes once the load has wound down
    }
    held = false;
    ASSERT_TRUE(wait_until([&] { return !dialog.isVisible() && !dialog.downloading(); })) << title_bar;
    EXPECT_EQ(dialog.result(), QDialog::Rejected) << title_bar;
    if (!title_bar) {
      EXPECT_EQ(dialog.status_text(), "Interrupted");
    }
    EXPECT_FALSE(dialog.take_catalogue().has_value()) << title_bar;
    // Let a dropped load end on its worker before the file is looked at.
    QThreadPool::globalInstance()->waitForDone();
    EXPECT_EQ(channels_file(), "old catalogue, longer than the new one") << title_bar;
  }
}

TEST_F(DownloadDialogTest, EveryOtherOutcomeKeepsTheFileAndCloseGivesCancel) {
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
    // Only a list that is in place fills the bar.
    EXPECT_EQ(dialog.progress(), 0) << c.what;
    EXPECT_EQ(close(), QDialog::Rejected) << c.what;
    EXPECT_FALSE(state.outdated) << c.what;
  }
  EXPECT_TRUE(messages.shown.empty());
}

// A hostile or broken service cannot make the program hold more than the limit in memory.
TEST_F(DownloadDialogTest, AReplyLargerThanTheLimitIsRefused) {
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

TEST_F(DownloadDialogTest, RedirectedRequestWithoutStamp) {
  state.catalogue.version_stamp.clear();
  server.redirect(kPath, "/mirror/get.php");
  server.reply("/mirror/get.php", 200, catalogue_reply(258, "GOOD mirrored"));
  EXPECT_EQ(download(), "Complete!");
  EXPECT_EQ(channels_file(), "GOOD mirrored");
  ASSERT_EQ(server.received().size(), 2u);
  EXPECT_EQ(server.received()[0].target, "/service/get.php?key='");
}

TEST_F(DownloadDialogTest, ProgressThenCancelInTheMiddleOfTheBody) {
  const QByteArray body = catalogue_reply(258, "GOOD" + QByteArray(1994, 'z'));  // 2000 bytes
  server.stall_after(kPath, body, 1000);
  dialog.show();
  ASSERT_TRUE(wait_until([&] { return dialog.progress() == 50; }));
  EXPECT_EQ(dialog.status_text(), " downloading  1000 b of 2 Kb ...");
  EXPECT_FALSE(close_shown());

  button("CancelButton")->click();
  EXPECT_EQ(dialog.status_text(), "Interrupted");
  EXPECT_TRUE(close_shown());
  ASSERT_TRUE(wait_until([&] { return !dialog.downloading(); }));
  EXPECT_EQ(dialog.status_text(), HttpRequest::aborted_text());
  EXPECT_EQ(dialog.progress(), 0);
  EXPECT_EQ(close(), QDialog::Rejected);
  EXPECT_EQ(channels_file(), "old catalogue, longer than the new one");
}

TEST_F(DownloadDialogTest, CancelWhileWaitingForHeadersAndCloseAtOnce) {
  server.stall(kPath);
  dialog.show();
  ASSERT_TRUE(server.wait_for_stalled());
  button("CancelButton")->click();
  EXPECT_EQ(dialog.status_text(), "Interrupted");
  // Close pressed before the cancelled transfer has ended takes effect once it has.
  button("CloseButton")->click();
  ASSERT_TRUE(wait_until([&] { return !dialog.isVisible(); }, 1000));
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_EQ(dialog.status_text(), HttpRequest::aborted_text());
  EXPECT_FALSE(state.outdated);
}

TEST_F(DownloadDialogTest, TitleBarCloseCutsTheTransferAndKeepsOutdated) {
  server.stall(kPath);
  dialog.show();
  ASSERT_TRUE(server.wait_for_stalled());
  dialog.close();  // as the title-bar close box does
  EXPECT_FALSE(dialog.downloading());
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_TRUE(state.outdated);
}

// While the service's name is being looked up, Cancel and Close and the title-bar close box answer
// at once, however long the lookup hangs.
TEST_F(DownloadDialogTest, CancelAndCloseDuringAHangingNameLookup) {
  if (!run_with_stalling_resolver()) return;
  write_service_base("catalogue", QStringLiteral("http://") + kStallingHost);
  for (const bool title_bar : {false, true}) {
    const int before = stalled_lookups();
    dialog.show();
    ASSERT_TRUE(wait_for_stalled_lookup(before)) << title_bar;
    QElapsedTimer clock;
    clock.start();
    if (title_bar) {
      dialog.close();
    } else {
      button("CancelButton")->click();
      button("CloseButton")->click();
      ASSERT_TRUE(wait_until([&] { return !dialog.isVisible(); }, 2000));
      EXPECT_EQ(dialog.status_text(), HttpRequest::aborted_text());
    }
    EXPECT_LT(clock.elapsed(), 500) << title_bar;
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
  }
}

TEST_F(DownloadDialogTest, EachShowingStartsAFreshDownload) {
  server.reply(kPath, 200, catalogue_reply(259, "first"));
  EXPECT_EQ(download(), "first");
  close();
  server.reply(kPath, 200, catalogue_reply(258, "GOOD second"));
  dialog.show();
  EXPECT_EQ(dialog.status_text(), "Ready");
  EXPECT_EQ(dialog.progress(), 0);
  EXPECT_FALSE(close_shown());
  ASSERT_TRUE(wait_until([&] { return !dialog.downloading(); }));
  EXPECT_EQ(dialog.status_text(), "Complete!");
  EXPECT_EQ(server.received().size(), 2u);
}

TEST_F(DownloadDialogTest, WriteFailureIsShownAndCloseGivesCancel) {
  QFile::remove(channels_path(state.catalogue.app_data));
  ASSERT_TRUE(QDir().mkpath(channels_path(state.catalogue.app_data)));  // cannot be replaced by a file
  server.reply(kPath, 200, catalogue_reply(258, "GOOD catalogue"));
  const QString status = download();
  EXPECT_TRUE(status.startsWith("Cannot write")) << status.toStdString();
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].kind, MessageKind::Error);
  EXPECT_EQ(messages.shown[0].text, status);
  EXPECT_EQ(close(), QDialog::Rejected);
}
// The bold caption is as wide as the font makes it; the status starts at least a space after it.
TEST_F(DownloadDialogTest, TheStatusKeepsASpaceFromTheCaption) {
  QFont large = dialog.font();
  large.setPixelSize(20);
  QFont tahoma_like(QStringLiteral("DejaVu Sans"));
  tahoma_like.setPointSize(9);
  for (const QFont& font : {dialog.font(), tahoma_like, large}) {
    dialog.setFont(font);
    server.reply(kPath, 200, catalogue_reply(258, "GOOD catalogue"));
    ASSERT_EQ(download(), "Complete!");
    QFont bold = font;
    bold.setBold(true);
    const int caption_end = 10 + QFontMetrics(bold).horizontalAdvance(QStringLiteral("Status:"));
    const auto* status = dialog.findChild<QLabel*>("StatusTextLabel");
    EXPECT_GE(status->x(), caption_end + QFontMetrics(font).horizontalAdvance(' ')) << font.toString().toStdString();
    EXPECT_GE(status->x(), 58);
    EXPECT_LE(QFontMetrics(font).horizontalAdvance(dialog.status_text()), status->width());
    close();
  }
}

// A status longer than a line is shown whole: the dialog grows down and the bar and the buttons go
// below it. The next download's one-line status gives the designed size back.
TEST_F(DownloadDialogTest, ALongStatusIsShownWhole) {
  // A port nobody listens on: the transfer's own error, with its address, is longer than a line.
  const int dead_port = unused_port();
  ASSERT_NE(dead_port, 0);
  const QString unbroken = QStringLiteral("http://") + QString(150, 'w') + QStringLiteral(".example/");
  const struct {
    const char* what;
    QString base;  // the catalogue service
    QByteArray message;
  } cases[] = {
      {"connection refused", QStringLiteral("http://127.0.0.1:%1").arg(dead_port), {}},
      {"one long word", server.base(), unbroken.toLatin1()},
      {"lines of its own", server.base(), "Closed for maintenance.\r\nBack on Monday.\nThank you."},
  };
  for (const auto& c : cases) {
    write_service_base("catalogue", c.base);
    server.reply(kPath, 200, catalogue_reply(259, c.message));
    const QString status = download();
    const auto* label = dialog.findChild<QLabel*>("StatusTextLabel");
    const QFontMetrics metrics(label->font());
    // Lines the text needs at the label's width, reckoned apart from the label's own layout.
    int lines = 0;
    for (const QString& line : QString(status).replace("\r\n", "\n").split('\n')) {
      if (line.contains(' ')) {
        lines += metrics.boundingRect(QRect(0, 0, label->width(), 100000), Qt::TextWordWrap, line).height() /
                 metrics.height();
      } else {
        lines += static_cast<int>(std::ceil(metrics.horizontalAdvance(line) / double(label->width())));
      }
    }
    EXPECT_GE(lines, 2) << c.what << ": " << status.toStdString();
    EXPECT_GE(label->height(), lines * metrics.height()) << c.what;
    const QRect bar = dialog.findChild<QProgressBar*>("ProgressBar")->geometry();
    const QRect close_button = button("CloseButton")->geometry();
    EXPECT_LE(label->geometry().bottom(), bar.top()) << c.what;
    EXPECT_EQ(close_button.top() - bar.bottom(), 52 - 45 + 1) << c.what;
    EXPECT_EQ(dialog.height() - close_button.bottom(), 78 - 73) << c.what;
    EXPECT_LE(label->geometry().right(), dialog.width() - 7) << c.what;
    EXPECT_EQ(dialog.progress(), 0) << c.what;
    close();
  }

  write_service_base("catalogue", server.base());
  server.reply(kPath, 200, catalogue_reply(258, "GOOD catalogue"));
  EXPECT_EQ(download(), "Complete!");
  EXPECT_EQ(dialog.size(), QSize(362, 78));
  EXPECT_EQ(button("CloseButton")->geometry(), QRect(268, 52, 86, 22));
}

// A service's message of a thousand lines cannot make the dialog taller than half the screen.
TEST_F(DownloadDialogTest, AStatusOfManyLinesIsCut) {
  server.reply(kPath, 200, catalogue_reply(259, QByteArray(1000, '\n') + "end"));
  download();
  EXPECT_LE(dialog.height(), 78 + dialog.screen()->availableGeometry().height() / 2);
  EXPECT_GE(dialog.height(), 78 + 5 * dialog.fontMetrics().height());
  close();
}

// The download is finished from the keyboard: Close takes the focus and is the default button.
// Once the new list is in place, leaving the dialog in any way is Close: the list is loaded and the
// note that it is outdated cleared.
TEST_F(DownloadDialogTest, TheKeyboardFinishesTheDownload) {
  const struct {
    const char* what;
    std::function<void(DownloadDialog&)> leave;
  } ways[] = {
      {"Return", [](DownloadDialog& d) { QTest::keyClick(d.focusWidget(), Qt::Key_Return); }},
      {"Enter", [](DownloadDialog& d) { QTest::keyClick(d.focusWidget(), Qt::Key_Enter); }},
      {"Escape", [](DownloadDialog& d) { QTest::keyClick(d.focusWidget(), Qt::Key_Escape); }},
      {"title bar", [](DownloadDialog& d) { d.close(); }},
  };
  for (const auto& way : ways) {
    state.outdated = true;
    server.reply(kPath, 200, catalogue_reply(258, "GOOD catalogue"));
    ASSERT_EQ(download(), "Complete!") << way.what;
    ASSERT_EQ(dialog.focusWidget(), button("CloseButton")) << way.what;
    const auto* close_button = qobject_cast<QPushButton*>(button("CloseButton"));
    EXPECT_TRUE(close_button && close_button->isDefault()) << way.what;
    way.leave(dialog);
    ASSERT_TRUE(wait_until([&] { return !dialog.isVisible(); })) << way.what;
    EXPECT_EQ(dialog.result(), QDialog::Accepted) << way.what;
    EXPECT_FALSE(state.outdated) << way.what;
    EXPECT_TRUE(dialog.take_catalogue().has_value()) << way.what;
  }

  // Any other outcome: Return is Close (the note is cleared), Escape the title bar's close box.
  for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
    state.outdated = true;
    server.reply(kPath, 200, catalogue_reply(259, "Your channel list is up to date."));
    download();
    ASSERT_EQ(dialog.focusWidget(), button("CloseButton"));
    QTest::keyClick(dialog.focusWidget(), key);
    ASSERT_TRUE(wait_until([&] { return !dialog.isVisible(); }));
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(state.outdated, key == Qt::Key_Escape);
  }

  // While the transfer runs Return does nothing, and Escape cuts it off.
  server.stall(kPath);
  dialog.show();
  ASSERT_TRUE(server.wait_for_stalled());
  ASSERT_EQ(dialog.focusWidget(), button("CancelButton"));
  QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(dialog.downloading());
  QTest::keyClick(dialog.focusWidget(), Qt::Key_Escape);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_FALSE(dialog.downloading());
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

// The whole road with the real catalogue loader as the trial.
TEST(DownloadDialogWithLoader, ReplacesOnlyWithACatalogueThatLoads) {
  TestServer server;
  write_service_base("catalogue", server.base());
  quovi_test::catalogue_folder();
  AppState state;
  state.catalogue.app_data = app_data_folder();
  ASSERT_TRUE(quovi_test::write_all(channels_path(state.catalogue.app_data), "old catalogue"));
  const QByteArray sample = quovi_test::read_all(quovi_test::fixture("catalogue/sample-channels.dat"));
  ASSERT_FALSE(sample.isEmpty());
  DownloadDialog dialog(state.catalogue, state.outdated);

  const std::pair<QByteArray, QString> cases[] = {
      {"not a catalogue", "Damaged catalogue: it holds no channel list"},
      {sample.left(sample.size() / 2), "Damaged catalogue: it holds no channel list"},
      {sample, "Complete!"},
  };
  for (const auto& [payload, status] : cases) {
    const QByteArray before = quovi_test::read_all(channels_path(state.catalogue.app_data));
    server.reply(kPath, 200, catalogue_reply(258, payload));
    dialog.show();
    ASSERT_TRUE(wait_until([&] { return !dialog.downloading(); }));
    EXPECT_EQ(dialog.status_text(), status);
    EXPECT_EQ(quovi_test::read_all(channels_path(state.catalogue.app_data)), status == "Complete!" ? sample : before);
    dialog.findChild<QAbstractButton*>("CloseButton")->click();
    EXPECT_EQ(dialog.result(), status == "Complete!" ? QDialog::Accepted : QDialog::Rejected);
  }
}
}  // namespace
