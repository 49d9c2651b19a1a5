#include "playback/video_widget.h"

#include "playback/media_player.h"
#include "playback/mpv_render_widget.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QOpenGLContext>
#include <QSurfaceFormat>
#include <QVBoxLayout>

// Qt's own modules make the context all others share with through this function, which QtGui
// exports with its other functions; the application object only makes one itself when told so
// before it exists, which would load the OpenGL driver at every start.
QT_BEGIN_NAMESPACE
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);
QT_END_NAMESPACE

namespace {
// With shared OpenGL contexts Qt keeps a QOpenGLWidget's context when the widget moves to another
// top-level window (full screen and back). Without them the context is made anew, mpv loses its
// render context and drops the video, which ends a stream that has no sound. The shared context is
// made when the first video widget is, before its window composes it.
void share_opengl_contexts() {
  if (QOpenGLContext::globalShareContext()) return;
  auto* context = new QOpenGLContext(QCoreApplication::instance());
  context->setFormat(QSurfaceFormat::defaultFormat());
  if (!context->create()) {
    qWarning("No shared OpenGL context: the video starts anew after full screen");
    delete context;
    return;
  }
  qt_gl_set_global_share_context(context);
  QObject::connect(context, &QObject::destroyed, [] { qt_gl_set_global_share_context(nullptr); });
  // The widget reads the attribute when it changes windows, so it counts when set now; only Qt's
  // warning that it belongs before the application object is kept off the terminal.
  const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  qInstallMessageHandler(previous);
}
}  // namespace

VideoWidget::VideoWidget(MediaPlayer* player, QWidget* parent) : QWidget(parent), player_(player) {
  setAutoFillBackground(true);
  QPalette black = palette();
  black.setColor(QPalette::Window, Qt::black);
  setPalette(black);
  setFocusPolicy(Qt::StrongFocus);
  if (platformHasOpenGl()) {
    share_opengl_contexts();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    render_ = new MpvRenderWidget(player, this);
    layout->addWidget(render_);
  }
  if (player) connect(player, &PlayerComponent::fullScreenChanged, this, &VideoWidget::followPlayer);
  if (parent) {
    // Full screen takes the widget out of its window; it must not outlive that window.
    connect(parent, &QObject::destroyed, this, [this] {
      if (isWindow()) delete this;
    });
  }
}

VideoWidget::~VideoWidget() = default;

bool VideoWidget::platformHasOpenGl() {
  const QString platform = QGuiApplication::platformName();
  return platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland")) ||
         platform == QLatin1String("eglfs");
}

QWidget* VideoWidget::renderSurface() const { return render_; }

void VideoWidget::setVideoShown(bool shown) {
  video_shown_ = shown;
  if (render_) render_->setVideoShown(shown);
}

void VideoWidget::followPlayer(bool full_screen) {
  if (full_screen)
    enterFullScreen();
  else
    leaveFullScreen();
}

void VideoWidget::enterFullScreen() {
  if (full_screen_) return;
  full_screen_ = true;
  home_ = parentWidget();
  home_geometry_ = geometry();
  home_layout_index_ = home_ && home_->layout() ? home_->layout()->indexOf(this) : -1;
  // The full-screen window is listed by the task switcher under the main window's caption.
  if (home_) setWindowTitle(home_->window()->windowTitle());
  setParent(nullptr, Qt::Window);
  showFullScreen();
  activateWindow();
  setFocus(Qt::OtherFocusReason);
  if (player_) player_->setFullScreen(true);
}

void VideoWidget::leaveFullScreen() {
  if (!full_screen_) return;
  full_screen_ = false;
  hide();
  setParent(home_, Qt::Widget);
  if (home_) {
    if (auto* box = qobject_cast<QBoxLayout*>(home_->layout()); box && home_layout_index_ >= 0)
      box->insertWidget(home_layout_index_, this);
    else if (QLayout* layout = home_->layout())
      layout->addWidget(this);
    else
      setGeometry(home_geometry_);
    show();
    home_->window()->activateWindow();
  }
  if (player_) player_->setFullScreen(false);
}

void VideoWidget::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && full_screen_) {
    leaveFullScreen();
    event->accept();
    return;
  }
  QWidget::keyPressEvent(event);
}

void VideoWidget::closeEvent(QCloseEvent* event) {
  // Closing the full-screen window (window manager, Alt+F4) brings the video home instead.
  if (full_screen_) {
    event->ignore();
    leaveFullScreen();
    return;
  }
  QWidget::closeEvent(event);
}

void VideoWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  if (full_screen_) {
    leaveFullScreen();
    event->accept();
    return;
  }
  if (event->button() == Qt::LeftButton) {
    event->accept();
    Q_EMIT doubleClicked();
    return;
  }
  QWidget::mouseDoubleClickEvent(event);
}
