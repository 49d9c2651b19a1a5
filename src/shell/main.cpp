#include "shell/startup.h"

#include <QApplication>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  return run_program(app);
}
