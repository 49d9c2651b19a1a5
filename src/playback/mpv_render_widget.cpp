#include "playback/mpv_render_widget.h"

#include "playback/media_player.h"

#include <mpv/render_gl.h>

#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QtDebug>

namespace {
void* get_proc_address(void*, const char* name) {
  QOpenGLContext* context = QOpenGLContext::currentContext();
  return context ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}
}  // namespace

MpvRenderWidget::MpvRenderWidget(MediaPlayer* player, QWidget* parent)
    : QOpenGLWidget(parent), player_(player) {
  // Keys go to the video widget around this one.
  setFocusPolicy(Qt::NoFocus);
  if (player) connect(player, &MediaPlayer::aboutToClose, this, &MpvRenderWidget::freeRenderContext);
}

MpvRenderWidget::~MpvRenderWidget() {
  freeRenderContext();
  // The base class destroys the context after this part of the object is gone.
  if (QOpenGLContext* gl = context()) disconnect(gl, nullptr, this, nullptr);
}

void MpvRenderWidget::setVideoShown(bool shown) {
  if (shown_ == shown) return;
  shown_ = shown;
  update();
}

void MpvRenderWidget::initializeGL() {
  // Qt makes a new context when the widget moves to another top-level window; the old render
  // context must go with the old one.
  connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &MpvRenderWidget::freeRenderContext,
          Qt::DirectConnection);
  freeRenderContext();
  if (!player_ || !player_->nativeHandle()) return;

  mpv_opengl_init_params gl_init{get_proc_address, nullptr};
  mpv_render_param params[] = {
      {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
      {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &gl_init},
      {MPV_RENDER_PARAM_INVALID, nullptr},
  };
  mpv_render_context* raw = nullptr;
  if (const int rc = mpv_render_context_create(&raw, player_->nativeHandle(), params); rc < 0) {
    qWarning("libmpv: no render context: %s", mpv_error_string(rc));
    return;
  }
  render_context_.reset(raw);
  mpv_render_context_set_update_callback(
      raw,
      [](void* self) {
        // Called on mpv's threads: only ask the GUI thread to look, once.
        auto* widget = static_cast<MpvRenderWidget*>(self);
        if (!widget->update_pending_.exchange(true))
          QMetaObject::invokeMethod(widget, &MpvRenderWidget::onRenderUpdate, Qt::QueuedConnection);
      },
      this);
  player_->videoOutputAttached();
}

void MpvRenderWidget::onRenderUpdate() {
  update_pending_ = false;
  if (render_context_ && (mpv_render_context_update(render_context_.get()) & MPV_RENDER_UPDATE_FRAME))
    update();
}

void MpvRenderWidget::paintGL() {
  QOpenGLFunctions* gl = context()->functions();
  if (render_context_) {
    const qreal ratio = devicePixelRatioF();
    mpv_opengl_fbo fbo{static_cast<int>(defaultFramebufferObject()), static_cast<int>(width() * ratio),
                       static_cast<int>(height() * ratio), 0};
    int flip_y = 1;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
        {MPV_RENDER_PARAM_FLIP_Y, &flip_y},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    // Frames are taken even while hidden so mpv never waits on this widget.
    mpv_render_context_render(render_context_.get(), params);
  }
  if (!render_context_ || !shown_) {
    // mpv leaves framebuffer 0 bound after rendering; clearing that would leave the last frame in
    // this widget's own framebuffer, which is what the window shows.
    gl->glBindFramebuffer(GL_FRAMEBUFFER, defaultFramebufferObject());
    gl->glClearColor(0, 0, 0, 1);
    gl->glClear(GL_COLOR_BUFFER_BIT);
  }
}

void MpvRenderWidget::freeRenderContext() {
  if (!render_context_) return;
  // mpv frees its OpenGL objects, so the context they belong to must be current.
  const bool can_make_current = context() && context()->isValid();
  if (can_make_current) makeCurrent();
  render_context_.reset();
  if (can_make_current) doneCurrent();
}
