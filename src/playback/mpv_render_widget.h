#pragma once
#include "playback/mpv_handles.h"

#include <QOpenGLWidget>
#include <QPointer>

#include <atomic>

class MediaPlayer;

// Draws the player's video with mpv's OpenGL render API. Its render context lives with the widget's
// OpenGL context and is made again whenever Qt makes a new one (a move to another window).
class MpvRenderWidget : public QOpenGLWidget {
  Q_OBJECT
 public:
  MpvRenderWidget(MediaPlayer* player, QWidget* parent = nullptr);
  ~MpvRenderWidget() override;

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
