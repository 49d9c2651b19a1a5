#include "widgets/text_colour.h"

#include <QWidget>

void set_text_colour(QWidget* widget, const QColor& colour, QPalette::ColorGroup group) {
  QPalette palette = widget->palette();
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    palette.setColor(group, role, colour);
  widget->setPalette(palette);
}

void set_text_colour(QWidget* widget, const QColor& colour) {
  set_text_colour(widget, colour, QPalette::Active);
  set_text_colour(widget, colour, QPalette::Inactive);
}
