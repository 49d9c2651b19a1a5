#pragma once
#include <QFont>

// The windows' one typeface at a size in pixels: Tahoma where it is installed, else the narrowest
// look-alike, so the captions fit the places they were laid out for.
QFont tahoma(int pixel_size, bool bold = false);
