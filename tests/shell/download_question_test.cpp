// The download question, asked while the list is outdated, comes back when the user returns to
// the program from elsewhere, never merely because a box or window of the program's own closed.
#include "../playback/wait_until.h"
#include "shell/catalogue_refresh.h"
#include "shell/command_wiring.h"
#include "shell/main_window.h"
#include "shell_fixture.h"
#include "widgets/messages.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>

using quovi_test::wait_until;

namespace {
bool make_active(QWidget& w) {
  w.activateWindow();
  return wait_until([&] { return w.isActiveWindow(); }, 5000);
}
}  // namespace

TEST(DownloadQuestion, ComesBackOnlyAfterTheUserLeftTheProgram) {
  RecordingMessageSink sink;  // No to every question
  AppState state = shell_test::state_with_names({QStringLiteral("Alpha")});
  state.outdated = true;
  MainWindow window(state);
  CatalogueRefresh refresh(state, &window, [] { return std::optional<Catalogue>(); }, window.reload_hooks(),
                           [](const QUrl&) {});
  wire_commands(window, {.refresh = &refresh});
  window.show();
  ASSERT_TRUE(make_active(window));
  ASSERT_TRUE(wait_until([&] { return sink.shown.size() == 1; }, 5000)) << "the first showing asks";

  // A window of the program's own takes the activation and gives it back, several times.
  QDialog own(&window);
  own.show();
  for (int round = 0; round < 3; ++round) {
    ASSERT_TRUE(make_active(own));
    ASSERT_TRUE(make_active(window));
  }
  own.close();
  QApplication::processEvents();
  EXPECT_EQ(sink.shown.size(), 1u);

  // The user goes to another application, and later comes back to the window.
  own.show();
  ASSERT_TRUE(make_active(own));
  Q_EMIT qApp->applicationStateChanged(Qt::ApplicationInactive);
  own.close();
  ASSERT_TRUE(make_active(window));
  EXPECT_TRUE(wait_until([&] { return sink.shown.size() == 2; }, 5000));
  EXPECT_EQ(sink.shown.back().text, kDownloadQuestion);
}
