#pragma once
#include <QPointer>
#include <QRect>
#include <QWidget>

class MediaPlayer;
class MpvRenderWidget;

// The video area's player surface: black, with mpv's picture drawn into it where the platform has
// OpenGL windows (none under the offscreen platform, where it stays a black panel). It follows the
// player's fullScreen and leaves full screen on Esc by itself. Keep it visible inside the video
// area and let setVideoShown black it out: mpv can only start a stream's video while the surface
// exists, and a surface is only made for a widget that has been shown. A double click in full
// screen brings it back; one in the window is reported (doubleClicked), for the window to decide.
class VideoWidget : public QWidget {
  Q_OBJECT
 public:
  VideoWidget(MediaPlayer* player, QWidget* parent = nullptr);
  ~VideoWidget() override;

  // Whether this platform can show video at all.
  static bool platformHasOpenGl();

  bool videoShown() const { return video_shown_; }
  bool isFullScreenShown() const { return full_screen_; }
  // The surface mpv draws into, or nullptr without OpenGL.
  QWidget* renderSurface() const;

 Q_SIGNALS:
  // A double click with the left button on the video while it sits in its window.
  void doubleClicked();

 public Q_SLOTS:
  // false keeps the area black (connecting, buffering, paused, stopped).
  void setVideoShown(bool shown);
  void enterFullScreen();
  void leaveFullScreen();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void followPlayer(bool full_screen);

  QPointer<MediaPlayer> player_;
  MpvRenderWidget* render_ = nullptr;
  bool video_shown_ = false;
  bool full_screen_ = false;
  // Where the widget sat before it went full screen.
  QPointer<QWidget> home_;
  QRect home_geometry_;
  int home_layout_index_ = -1;
};
