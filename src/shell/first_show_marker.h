#pragma once
#include <functional>

class QWidget;

// Runs `then` once, on the GUI thread, right after the window has been painted for the first time
// (after the first exposure of its platform window, which paints the whole window at once), or soon
// when that has happened already. What
// the window can do without for a moment waits here rather than before the window shows.
void after_first_paint(QWidget* window, std::function<void()> then);

// For timing the start from outside (bench/launch_bench.cpp): when the environment variable
// QUOVI_MARK_SHOWN is set, the line "quovi: main window shown" goes to standard output once the
// window has been painted for the first time. Otherwise nothing happens.
void mark_first_show(QWidget* window);
