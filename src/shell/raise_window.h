#pragma once

class QWidget;

// The desktop asks for the program: the window comes out of the task bar to the front and takes
// the focus.
void raise_window(QWidget& window);
