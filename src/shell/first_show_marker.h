#pragma once
class QWidget;

// For timing the start from outside (bench/launch_bench.cpp): when the environment variable
// QUOVI_MARK_SHOWN is set, the line "quovi: main window shown" goes to standard output once the
// window has been painted for the first time. Otherwise nothing happens.
void mark_first_show(QWidget* window);
