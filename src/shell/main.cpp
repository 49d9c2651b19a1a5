#include "shell/desktop_identity.h"
#include "shell/startup.h"

#include <QApplication>

int main(int argc, char** argv) {
  // The video keeps its picture when it moves into a full-screen window of its own only when the
  // windows share their OpenGL contexts; this must be set before the application exists.
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  apply_desktop_identity();
  return run_program(app);
}
