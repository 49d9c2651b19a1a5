#pragma once
#include <QLabel>

// A plain text shown whole at any width: lines break between words, and inside a word too long for
// a line (an address, a service's message without spaces); line breaks in the text are kept. At
// most `maximum_lines` lines are shown, so that a text from outside cannot make its window taller
// than the screen; the last line of a text cut there ends in an ellipsis.
class WrappingLabel : public QLabel {
  Q_OBJECT
 public:
  explicit WrappingLabel(const QString& text, QWidget* parent = nullptr);

  void set_maximum_lines(int lines);
  // The lines the whole text takes at `width`.
  int line_count(int width) const;
  // The height of the lines shown at `width`.
  int heightForWidth(int width) const override;
  bool hasHeightForWidth() const override { return true; }
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int maximum_lines_ = 1000;
};
