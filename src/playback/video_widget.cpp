#include "playback/video_widget.h"

#include "playback/media_player.h"
#include "playback/mpv_render_window.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QVBoxLayout>

VideoWidget::VideoWidget(MediaPlayer* player, QWidget* parent) : QWidget(parent), player_(player) {
  setAutoFillBackground(true);
  QPalette black = palette();
  black.setColor(QPalette::Window, Qt::black);
  setPalette(black);
  setFocusPolicy(Qt::StrongFocus);
  if (platformHasOpenGl()) {
    // mpv draws in a window of its own: an OpenGL widget would make the main window OpenGL-capable,
    // which on X11 means a new platform window in place of the one already shown. The render
    // window keeps its OpenGL context wherever it goes (full screen and back).
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    render_ = new MpvRenderWindow(player);
    surface_ = QWidget::createWindowContainer(render_, this);
    surface_->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(surface_);
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

QWidget* VideoWidget::renderSurface() const { return surface_; }

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
