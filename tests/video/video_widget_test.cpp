// The real video surface under Xvfb: a test-pattern stream is drawn into the video area, stays
// drawn across full screen and back, and the area turns black when playback stops.
#include "playback/media_player.h"
#include "playback/mpv_render_widget.h"
#include "playback/player_control.h"
#include "playback/video_widget.h"

#include "../playback/local_http_server.h"
#include "../playback/wait_until.h"
#include "views/channel_list_state.h"
#include "widgets/messages.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QOpenGLWidget>
#include <QPixmap>
#include <QScreen>
#include <QTest>

using quovi_test::wait_until;

namespace {
// Share of pixels that are clearly not black.
double lit_share(const QImage& image) {
  if (image.isNull() || image.width() == 0 || image.height() == 0) return 0;
  qint64 lit = 0;
  for (int y = 0; y < image.height(); y += 2) {
    for (int x = 0; x < image.width(); x += 2) {
      const QRgb p = image.pixel(x, y);
      if (qRed(p) + qGreen(p) + qBlue(p) > 60) ++lit;
    }
  }
  return double(lit) / (((image.width() + 1) / 2) * ((image.height() + 1) / 2));
}

double surface_lit_share(VideoWidget* video) {
  auto* surface = qobject_cast<QOpenGLWidget*>(video->renderSurface());
  return surface ? lit_share(surface->grabFramebuffer()) : 0;
}

// What the X server shows of the video area: the surface's own framebuffer can be black while the
// window still shows the last frame.
double screen_lit_share(VideoWidget* video) {
  QWidget* window = video->window();
  const QRect area(video->mapTo(window, QPoint(0, 0)), video->size());
  QScreen* screen = window->screen();
  return screen ? lit_share(screen->grabWindow(window->winId(), area.x(), area.y(), area.width(), area.height())
                               .toImage())
                : 0;
}
}  // namespace

// The program makes its player once the main window has been painted; a player made before the
// window shows must draw just the same.
class VideoWidgetMade : public testing::TestWithParam<bool> {};

TEST_P(VideoWidgetMade, DrawsTheStreamInTheAreaAndFullScreen) {
  const bool after_show = GetParam();
  ASSERT_EQ(QGuiApplication::platformName(), "xcb");
  quovi_test::LocalHttpServer server;
  QFile video_file(QStringLiteral(QUOVI_TEST_DATA_DIR "/playback/testsrc.mkv"));
  ASSERT_TRUE(video_file.open(QIODevice::ReadOnly));
  server.serve("/testsrc.mkv", video_file.readAll(), "video/x-matroska");

  ChannelListState state;
  Channel channel;
  channel.id = 1;
  channel.group_id = 3;
  channel.url = to_packed(server.url(QStringLiteral("/testsrc.mkv")));
  state.catalogue.channels.push_back(channel);
  state.visible = {0};
  state.catalogue.filter.group_id = 1;  // TV: Pause stops

  QWidget window;
  window.resize(420, 320);
  auto* video_area = new QWidget(&window);
  video_area->setGeometry(10, 10, 400, 300);
  RecordingMessageSink messages;
  PlayerControl control(state, &window);
  QString status;
  QObject::connect(&control, &PlayerControl::statusTextChanged, [&](const QString& s) { status = s; });
  if (after_show) {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }
  ASSERT_TRUE(control.createPlayer(video_area));
  VideoWidget* video = control.videoWidget();
  ASSERT_NE(video, nullptr);
  ASSERT_NE(video->renderSurface(), nullptr);
  window.show();
  auto* render = static_cast<MpvRenderWidget*>(video->renderSurface());
  ASSERT_TRUE(wait_until([&] { return render->hasRenderContext(); }, 20000));

  // Before anything plays the area is black.
  EXPECT_LT(surface_lit_share(video), 0.01);

  control.watchRow(0);
  ASSERT_TRUE(wait_until([&] { return status == "Playing"; }, 30000)) << status.toStdString();
  EXPECT_TRUE(video->videoShown());
  EXPECT_TRUE(wait_until([&] { return surface_lit_share(video) > 0.5; }, 20000)) << surface_lit_share(video);
  EXPECT_TRUE(wait_until([&] { return screen_lit_share(video) > 0.5; }, 20000)) << screen_lit_share(video);

  // Full screen makes a new OpenGL context; the picture must come back in it.
  control.fullScreen();
  ASSERT_TRUE(video->isFullScreenShown());
  EXPECT_TRUE(video->windowState() & Qt::WindowFullScreen);
  ASSERT_TRUE(wait_until([&] { return video->isWindow() && video->isVisible(); }, 10000));
  EXPECT_TRUE(wait_until([&] { return render->hasRenderContext() && surface_lit_share(video) > 0.5; }, 20000))
      << surface_lit_share(video);
  EXPECT_TRUE(wait_until([&] { return screen_lit_share(video) > 0.5; }, 20000)) << screen_lit_share(video);

  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(video, &esc);
  EXPECT_FALSE(video->isFullScreenShown());
  EXPECT_FALSE(control.player()->fullScreen());
  EXPECT_EQ(video->parentWidget(), video_area);
  EXPECT_TRUE(wait_until([&] { return render->hasRenderContext() && surface_lit_share(video) > 0.5; }, 20000))
      << surface_lit_share(video);

  control.pause();
  ASSERT_TRUE(wait_until([&] { return status == "Stopped"; }, 10000));
  EXPECT_FALSE(video->videoShown());
  EXPECT_TRUE(wait_until([&] { return surface_lit_share(video) < 0.01; }, 10000));
  EXPECT_TRUE(wait_until([&] { return screen_lit_share(video) < 0.01; }, 10000)) << screen_lit_share(video);
  EXPECT_TRUE(messages.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(BeforeAndAfterTheWindowShows, VideoWidgetMade, testing::Values(false, true));
