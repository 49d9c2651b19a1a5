#include "shell/desktop_identity.h"
#include "shell/startup.h"

#include <QApplication>

#include <cstdio>
#include <iostream>

#include <unistd.h>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  apply_desktop_identity();
  return run_program(app, [](int exit_code) {
    // What the user owns is on disk and the player has stopped. Taking the windows, the catalogue,
    // the application object and two hundred libraries apart piece by piece would only cost time:
    // the system takes the memory, windows and connections back at once.
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    _exit(exit_code);
  });
}
