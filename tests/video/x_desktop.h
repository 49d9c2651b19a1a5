#pragma once
#include <xcb/xcb.h>

#include <QByteArray>
#include <QCoreApplication>

#include <cstdlib>
#include <cstring>
#include <vector>

// The X server as the window manager sees it, on a connection of the test's own.
class XDesktop {
 public:
  XDesktop() : connection_(xcb_connect(nullptr, nullptr)) {
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
  }
  ~XDesktop() { xcb_disconnect(connection_); }

  // The window the window manager made active, and the process it belongs to.
  xcb_window_t active_window() {
    const QByteArray active = property(root_, "_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW);
    xcb_window_t window = XCB_WINDOW_NONE;
    if (active.size() >= 4) std::memcpy(&window, active.data(), 4);
    return window;
  }
  qint64 active_process() {
    const xcb_window_t window = active_window();
    return window == XCB_WINDOW_NONE ? 0 : process_of(window);
  }
  qint64 process_of(xcb_window_t window) {
    const QByteArray pid = property(window, "_NET_WM_PID", XCB_ATOM_CARDINAL);
    if (pid.size() < 4) return 0;
    uint32_t value;
    std::memcpy(&value, pid.data(), 4);
    return value;
  }

  // The ordinary windows (no splash, no dialog) the window manager shows for a process, in the
  // order they were mapped.
  std::vector<xcb_window_t> windows_of(qint64 process) {
    const QByteArray list = property(root_, "_NET_CLIENT_LIST", XCB_ATOM_WINDOW, 4096);
    std::vector<xcb_window_t> windows;
    for (qsizetype at = 0; at + 4 <= list.size(); at += 4) {
      xcb_window_t window;
      std::memcpy(&window, list.data() + at, 4);
      if (process_of(window) == process && is_normal(window)) windows.push_back(window);
    }
    return windows;
  }

  // The window's own type is the first it names; Qt names "normal" after it for older desktops.
  bool is_normal(xcb_window_t window) {
    const QByteArray types = property(window, "_NET_WM_WINDOW_TYPE", XCB_ATOM_ATOM);
    if (types.size() < 4) return false;
    xcb_atom_t type;
    std::memcpy(&type, types.data(), 4);
    return type == atom("_NET_WM_WINDOW_TYPE_NORMAL");
  }

  // What the close box of the window's frame sends.
  void close(xcb_window_t window) {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = atom("_NET_CLOSE_WINDOW");
    message.data.data32[0] = XCB_CURRENT_TIME;
    message.data.data32[1] = 2;  // from a pager, as the user's own request
    xcb_send_event(connection_, 0, root_,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection_);
  }

  // A window of another application, mapped now, which the window manager makes active.
  void open_other_window() {
    const xcb_window_t window = xcb_generate_id(connection_);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window, root_, 0, 0, 1000, 700, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    const uint32_t pid = static_cast<uint32_t>(QCoreApplication::applicationPid());
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 32, 1, &pid);
    xcb_map_window(connection_, window);
    xcb_flush(connection_);
  }

 private:
  xcb_atom_t atom(const char* name) {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(connection_, xcb_intern_atom(connection_, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t found = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return found;
  }
  QByteArray property(xcb_window_t window, const char* name, xcb_atom_t type, uint32_t longs = 16) {
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(connection_, xcb_get_property(connection_, 0, window, atom(name), type, 0, longs), nullptr);
    if (!reply) return {};
    const QByteArray value(static_cast<const char*>(xcb_get_property_value(reply)), xcb_get_property_value_length(reply));
    std::free(reply);
    return value;
  }

  xcb_connection_t* connection_;
  xcb_window_t root_ = 0;
};

