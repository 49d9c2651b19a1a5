#pragma once
#include "playback/mpv_handles.h"

#include <QOpenGLWindow>
#include <QPointer>

#include <atomic>

class MediaPlayer;

// Draws the player's video with mpv's OpenGL render API, in a window of its own inside the video
// widget (a native child window): the main window itself stays as it was made, so no OpenGL
// surface joining it makes the desktop's window anew. Input passes through to the widget below.
// Its render context lives with the window's OpenGL context.
class MpvRenderWindow : public QOpenGLWindow {
  Q_OBJECT
 public:
  explicit MpvRenderWindow(MediaPlayer* player);
  ~MpvRenderWindow() override;

  void setVideoShown(bool shown);
  bool hasRenderContext() const { return render_context_ != nullptr; }

 protected:
  void initializeGL() override;
  void paintGL() override;

 private:
  void freeRenderContext();
  void onRenderUpdate();

  QPointer<MediaPlayer> player_;
  MpvRenderContext render_context_;
  std::atomic<bool> update_pending_{false};
  bool shown_ = false;
};
