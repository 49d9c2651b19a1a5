// The splash on a real X server under a window manager that takes its time, as a real one does
// (it frames a window before it shows it). No message loop runs during a catalogue load, so what
// the server shows of the splash is what was drawn before the load began.
#include "shell/splash_screen.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace {
using namespace std::chrono_literals;

// Stands in for the window manager on a connection of its own: windows are shown `delay` after they
// ask to be, and placed as they ask.
class SlowWindowManager {
 public:
  explicit SlowWindowManager(std::chrono::milliseconds delay) : connection_(xcb_connect(nullptr, nullptr)) {
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;
    xcb_generic_error_t* error =
        xcb_request_check(connection_, xcb_change_window_attributes_checked(connection_, root_, XCB_CW_EVENT_MASK, &mask));
    managing_ = error == nullptr;
    std::free(error);
    if (managing_) thread_ = std::thread([this, delay] { run(delay); });
  }
  ~SlowWindowManager() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    xcb_disconnect(connection_);
  }
  bool managing() const { return managing_; }

  // Whether the server shows `window` now; asked on this connection, so no event of the program's
  // own is handled meanwhile.
  bool viewable(xcb_window_t window) {
    xcb_get_window_attributes_reply_t* reply =
        xcb_get_window_attributes_reply(connection_, xcb_get_window_attributes(connection_, window), nullptr);
    const bool shown = reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(reply);
    return shown;
  }

 private:
  void run(std::chrono::milliseconds delay) {
    while (!stop_) {
      xcb_generic_event_t* event = xcb_poll_for_event(connection_);
      if (!event) {
        std::this_thread::sleep_for(1ms);
        continue;
      }
      switch (event->response_type & 0x7f) {
        case XCB_MAP_REQUEST:
          std::this_thread::sleep_for(delay);
          xcb_map_window(connection_, reinterpret_cast<xcb_map_request_event_t*>(event)->window);
          break;
        case XCB_CONFIGURE_REQUEST: {
          const auto* request = reinterpret_cast<xcb_configure_request_event_t*>(event);
          uint32_t values[7];
          int count = 0;
          const uint16_t mask = request->value_mask & (XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y |
                                                       XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT);
          if (mask & XCB_CONFIG_WINDOW_X) values[count++] = static_cast<uint32_t>(request->x);
          if (mask & XCB_CONFIG_WINDOW_Y) values[count++] = static_cast<uint32_t>(request->y);
          if (mask & XCB_CONFIG_WINDOW_WIDTH) values[count++] = request->width;
          if (mask & XCB_CONFIG_WINDOW_HEIGHT) values[count++] = request->height;
          xcb_configure_window(connection_, request->window, mask, values);
          break;
        }
        default:
          break;
      }
      std::free(event);
      xcb_flush(connection_);
    }
  }

  xcb_connection_t* connection_;
  xcb_window_t root_ = 0;
  bool managing_ = false;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};
}  // namespace

TEST(SplashOnScreen, IsDrawnBeforeTheLoadTakesTheThread) {
  ASSERT_EQ(QGuiApplication::platformName(), "xcb");
  SlowWindowManager manager(50ms);
  ASSERT_TRUE(manager.managing()) << "another window manager runs";
  SplashScreen splash;
  splash.show_now();
  // From here on no event of the program is handled, as during a load.
  const auto window = static_cast<xcb_window_t>(splash.winId());
  for (int waited = 0; waited < 2000 && !manager.viewable(window); ++waited) std::this_thread::sleep_for(1ms);
  ASSERT_TRUE(manager.viewable(window));
  const QImage seen = splash.screen()->grabWindow(splash.winId()).toImage();
  ASSERT_EQ(seen.size(), QSize(251, 60));
  EXPECT_EQ(QColor(seen.pixel(0, 0)).name(), "#ff9900") << "border";
  EXPECT_EQ(QColor(seen.pixel(20, 30)).name(), "#fefefe") << "background";
  // The text is drawn in its colour right of (89, 23).
  bool text = false;
  for (int y = 23; y < 45 && !text; ++y)
    for (int x = 89; x < 180 && !text; ++x) text = qBlue(seen.pixel(x, y)) < 200;
  EXPECT_TRUE(text);
}
