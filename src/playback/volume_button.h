#pragma once
#include <QIcon>
#include <QToolButton>

#include <functional>

// The volume control: a flat 61 x 16 button whose picture and hint show the volume. A release of
// any mouse button over it, or after a press that began on it, reports the pointer's x. It is a
// Tab stop, shows its focus, and reports the arrow keys as steps up (Right, Up) and down.
class VolumeButton : public QToolButton {
  Q_OBJECT
 public:
  // `pictures` gives the picture for an index 0..10 (volume_picture_index); without it the
  // control shows only its hint.
  using Pictures = std::function<QIcon(int index)>;
  explicit VolumeButton(QWidget* parent = nullptr, Pictures pictures = {});

 public Q_SLOTS:
  // Hint "<volume>%" and picture volume_picture_index(volume).
  void showVolume(int volume);

 Q_SIGNALS:
  void releasedAt(int x);
  void stepped(int delta);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  Pictures pictures_;
};
