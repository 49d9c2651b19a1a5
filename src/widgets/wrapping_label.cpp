#include "widgets/wrapping_label.h"

#include <QPainter>
#include <QTextLayout>

#include <algorithm>

namespace {
// The layout engine breaks lines only at its own separator; a service's message may end its lines
// in any of the usual ways.
QString with_line_separators(QString text) {
  text.replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
  text.replace(QLatin1Char('\r'), QChar::LineSeparator);
  text.replace(QLatin1Char('\n'), QChar::LineSeparator);
  return text;
}

// Lays `layout` out in lines of `width` pixels, `line_height` apart, as many as the text needs.
void lay_out(QTextLayout& layout, int width, int line_height) {
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  layout.beginLayout();
  int y = 0;
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(std::max(width, 1));
    line.setPosition(QPointF(0, y));
    y += line_height;
  }
  layout.endLayout();
}
}  // namespace

WrappingLabel::WrappingLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
  setTextFormat(Qt::PlainText);
  setWordWrap(true);
}

void WrappingLabel::set_maximum_lines(int lines) {
  maximum_lines_ = std::max(lines, 1);
  updateGeometry();
  update();
}

int WrappingLabel::line_count(int width) const {
  QTextLayout layout(with_line_separators(text()), font());
  lay_out(layout, width, fontMetrics().height());
  return std::max(layout.lineCount(), 1);
}

int WrappingLabel::heightForWidth(int width) const {
  return std::min(line_count(width), maximum_lines_) * fontMetrics().height();
}

QSize WrappingLabel::sizeHint() const {
  const int width = std::max(this->width(), 1);
  return {width, heightForWidth(width)};
}

QSize WrappingLabel::minimumSizeHint() const { return sizeHint(); }

void WrappingLabel::paintEvent(QPaintEvent*) {
  const QString text = with_line_separators(this->text());
  const int line_height = fontMetrics().height();
  QTextLayout layout(text, font());
  lay_out(layout, width(), line_height);
  QPainter painter(this);
  painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
  const bool cut = layout.lineCount() > maximum_lines_;
  const int shown = std::min(layout.lineCount(), maximum_lines_) - (cut ? 1 : 0);
  for (int i = 0; i < shown; ++i) layout.lineAt(i).draw(&painter, QPointF(0, 0));
  if (cut) {
    QString rest = text.mid(layout.lineAt(shown).textStart());
    rest.replace(QChar::LineSeparator, QLatin1Char(' '));
    const QString last = fontMetrics().elidedText(rest, Qt::ElideRight, width());
    painter.drawText(QRect(0, shown * line_height, width(), line_height), Qt::AlignLeft | Qt::AlignVCenter, last);
  }
}
