#include "widgets/design_colours.h"

#include <QApplication>
#include <QPalette>

#include <algorithm>
#include <cmath>

namespace {
const DesignColours kLight{
    .outside = QColor(192, 192, 192),
    .panel = QColor(254, 254, 254),
    .frame = QColor(255, 153, 0),
    .caption = QColor(8, 55, 114),
    .greyed = QColor(192, 192, 192),
    .hover = QColor(255, 244, 228),
    .pressed = QColor(255, 226, 184),
    .list = QColor(255, 255, 255),
    .user_row = QColor(192, 220, 192),
    .grid = QColor(224, 229, 236),
    .header = QColor(244, 246, 249),
    .header_edge = QColor(208, 214, 224),
    .menu = QColor(255, 255, 255),
    .menu_edge = QColor(160, 172, 190),
    .menu_selected = QColor(255, 236, 208),
    .menu_greyed = QColor(160, 160, 160),
    .separator = QColor(220, 226, 234),
    .scroll_handle = QColor(190, 200, 214),
    .alert = QColor(255, 0, 0),
    .hint = QColor(128, 128, 128),
    .link = QColor(0, 0, 0),
};
// The same design at night: the orange stays, the blue lightens, the white panels go charcoal.
const DesignColours kDark{
    .outside = QColor(46, 47, 51),
    .panel = QColor(30, 31, 35),
    .frame = QColor(255, 153, 0),
    .caption = QColor(143, 184, 240),
    .greyed = QColor(96, 99, 106),
    .hover = QColor(70, 52, 30),
    .pressed = QColor(84, 60, 28),
    .list = QColor(24, 25, 28),
    .user_row = QColor(33, 66, 40),
    .grid = QColor(56, 60, 68),
    .header = QColor(42, 44, 50),
    .header_edge = QColor(66, 70, 80),
    .menu = QColor(38, 39, 44),
    .menu_edge = QColor(86, 92, 106),
    .menu_selected = QColor(80, 58, 30),
    .menu_greyed = QColor(118, 121, 128),
    .separator = QColor(66, 70, 80),
    .scroll_handle = QColor(86, 92, 104),
    .alert = QColor(255, 118, 118),
    .hint = QColor(150, 153, 160),
    .link = QColor(226, 228, 232),
};

double luminance(const QColor& colour) {
  const auto channel = [](int value) {
    const double c = value / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(colour.red()) + 0.7152 * channel(colour.green()) + 0.0722 * channel(colour.blue());
}
}  // namespace

bool is_dark_scheme(const QPalette& palette) {
  return luminance(palette.color(QPalette::Window)) < luminance(palette.color(QPalette::WindowText));
}

const DesignColours& design_colours(bool dark) { return dark ? kDark : kLight; }

const DesignColours& design_colours() { return design_colours(is_dark_scheme(QApplication::palette())); }

double contrast_ratio(const QColor& a, const QColor& b) {
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}
