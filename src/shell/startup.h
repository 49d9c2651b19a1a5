#pragma once
class QApplication;

// The program from its first window to the end of the message loop; answers the exit code.
int run_program(QApplication& app);
