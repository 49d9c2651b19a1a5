#include "playback/volume_button.h"

#include "playback/volume.h"

#include <QIcon>
#include <QMouseEvent>

#include <cmath>

VolumeButton::VolumeButton(QWidget* parent, Pictures pictures) : QToolButton(parent), pictures_(std::move(pictures)) {
  setAutoRaise(true);
  setFocusPolicy(Qt::NoFocus);
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
