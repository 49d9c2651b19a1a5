#pragma once
#include <QFont>

// The windows' one typeface at a size in pixels: Tahoma where it is installed, else the narrowest
// look-alike, so the captions fit the places they were laid out for.
QFont tahoma(int pixel_size, bool bold = false);

class QWidget;

// Gives `window`'s font to the widgets inside it that have none of their own. Qt hands a font down
// only where no style sheet applies, and a dialog opened over a window that has one (the main
// window's) is under it too: its captions would fall back to the desktop's font, wider than the
// places they were laid out for. Run it whenever the window's font is set; a widget given a font
// of its own keeps it, and hands that one down.
void hand_down_font(QWidget* window);
