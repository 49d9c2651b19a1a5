#include "shell/desktop_identity.h"
#include "shell/startup.h"

#include <QApplication>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  apply_desktop_identity();
  return run_program(app);
}
