#include <QApplication>
#include <QLocale>
#include <gtest/gtest.h>

#include <clocale>

namespace quovi_test {
void install_sandbox_listener();
}

int main(int argc, char** argv) {
  // Test discovery runs this program without the test properties, so the headless platform is
  // chosen here; the video tests set xcb themselves under Xvfb.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Players made by the tests (also inside the main window) make no sound.
  if (qEnvironmentVariableIsEmpty("QUOVI_AUDIO_OUTPUT")) qputenv("QUOVI_AUDIO_OUTPUT", "null");
  // The user's own session bus is never reached: the program and the programs it starts find no
  // bus there, and tests that need one start a private one.
  qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/quovi-test-no-session-bus");
  testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  QLocale::setDefault(QLocale::c());
  quovi_test::install_sandbox_listener();
  return RUN_ALL_TESTS();
}
