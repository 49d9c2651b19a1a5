#pragma once
#include <QPalette>

class QColor;
class QWidget;

// Colours the text of a label, check box, edit or list through its palette, for the enabled look
// (Active and Inactive) or for one colour group. A style sheet would colour it as well, but a
// widget with a style sheet no longer follows its window's font.
void set_text_colour(QWidget* widget, const QColor& colour);
void set_text_colour(QWidget* widget, const QColor& colour, QPalette::ColorGroup group);
