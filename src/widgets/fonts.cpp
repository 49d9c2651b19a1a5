#include "widgets/fonts.h"

#include <QStringList>
#include <QVariant>
#include <QWidget>

QFont tahoma(int pixel_size, bool bold) {
  QFont font;
  font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                    QStringLiteral("Arial"), QStringLiteral("DejaVu Sans Condensed")});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixel_size);
  font.setBold(bold);
  return font;
}

namespace {
// Marks a widget whose font came from here, not from its own code.
constexpr char kHandedDown[] = "quovi_font_handed_down";

void hand_down_from(QWidget* parent) {
  for (QObject* object : parent->children()) {
    auto* child = qobject_cast<QWidget*>(object);
    if (!child || child->isWindow()) continue;
    if (!child->testAttribute(Qt::WA_SetFont) || child->property(kHandedDown).toBool()) {
      child->setFont(parent->font());
      child->setProperty(kHandedDown, true);
    }
    hand_down_from(child);
  }
}
}  // namespace

void hand_down_font(QWidget* window) { hand_down_from(window); }
