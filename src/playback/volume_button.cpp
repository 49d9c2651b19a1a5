#include "playback/volume_button.h"

#include "playback/volume.h"

#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

#include <cmath>

VolumeButton::VolumeButton(QWidget* parent, Pictures pictures) : QToolButton(parent), pictures_(std::move(pictures)) {
  setAutoRaise(true);
  setFocusPolicy(Qt::TabFocus);
  setFixedSize(kVolumeControlWidth, kVolumeControlHeight);
  setIconSize(QSize(kVolumeControlWidth, kVolumeControlHeight));
  setStyleSheet(QStringLiteral("QToolButton { border: none; padding: 0; margin: 0; }"));
  setCursor(Qt::PointingHandCursor);
}

void VolumeButton::showVolume(int volume) {
  setToolTip(volume_hint(volume));
  if (pictures_) setIcon(pictures_(volume_picture_index(volume)));
}

void VolumeButton::mousePressEvent(QMouseEvent* event) {
  // Taking every button's press makes its release come here too, wherever the pointer is then.
  if (event->button() != Qt::LeftButton) {
    event->accept();
    return;
  }
  QToolButton::mousePressEvent(event);
}

void VolumeButton::mouseReleaseEvent(QMouseEvent* event) {
  const int x = static_cast<int>(std::floor(event->position().x()));
  if (event->button() == Qt::LeftButton) QToolButton::mouseReleaseEvent(event);
  event->accept();
  Q_EMIT releasedAt(x);
}

void VolumeButton::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Right:
    case Qt::Key_Up: Q_EMIT stepped(kVolumeKeyStep); break;
    case Qt::Key_Left:
    case Qt::Key_Down: Q_EMIT stepped(-kVolumeKeyStep); break;
    default: QToolButton::keyPressEvent(event); return;
  }
  event->accept();
}

void VolumeButton::paintEvent(QPaintEvent* event) {
  QToolButton::paintEvent(event);
  // The flat button's style draws no focus of its own.
  if (!hasFocus()) return;
  QStylePainter painter(this);
  QStyleOptionFocusRect focus;
  focus.initFrom(this);
  painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
}
