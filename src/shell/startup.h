#pragma once
#include <functional>

class QApplication;

// Called once the run is over: the user's files are written, the player has stopped and work
// handed to workers has finished. It may end the process there and then.
using ProgramEnd = std::function<void(int exit_code)>;

// The program from its first window to the end of the message loop; answers the exit code, unless
// `end` ends the process first.
int run_program(QApplication& app, const ProgramEnd& end = {});
