#include "widgets/plain_tooltip.h"

QString plain_tooltip(const QString& text) {
  if (text.isEmpty()) return {};
  return QStringLiteral("<p style=\"white-space:pre\">") + text.toHtmlEscaped() + QStringLiteral("</p>");
}
