#include "playback/mpv_library.h"

#include <mpv/client.h>
#include <mpv/render.h>

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {
// Every libmpv function the program calls.
#define QUOVI_MPV_FUNCTIONS(X)                                                                              \
  X(mpv_client_api_version)                                                                                 \
  X(mpv_error_string)                                                                                       \
  X(mpv_create)                                                                                             \
  X(mpv_initialize)                                                                                         \
  X(mpv_terminate_destroy)                                                                                  \
  X(mpv_set_option_string)                                                                                  \
  X(mpv_command)                                                                                            \
  X(mpv_command_async)                                                                                      \
  X(mpv_command_node_async)                                                                                 \
  X(mpv_set_property_async)                                                                                 \
  X(mpv_get_property)                                                                                       \
  X(mpv_free)                                                                                               \
  X(mpv_get_property_async)                                                                                 \
  X(mpv_observe_property)                                                                                   \
  X(mpv_request_log_messages)                                                                               \
  X(mpv_wait_event)                                                                                         \
  X(mpv_set_wakeup_callback)                                                                                \
  X(mpv_render_context_create)                                                                              \
  X(mpv_render_context_set_update_callback)                                                                 \
  X(mpv_render_context_update)                                                                              \
  X(mpv_render_context_render)                                                                              \
  X(mpv_render_context_free)

struct Library {
  bool opened = false;
#define QUOVI_MPV_POINTER(name) decltype(&::name) name = nullptr;
  QUOVI_MPV_FUNCTIONS(QUOVI_MPV_POINTER)
#undef QUOVI_MPV_POINTER
};

// The names libmpv goes by: the current series, the development link, and the 1.x series, which
// opens so that the presence check can call it too old rather than missing.
constexpr const char* kNames[] = {"libmpv.so.2", "libmpv.so", "libmpv.so.1"};

Library open_library() {
  Library library;
  void* handle = nullptr;
  for (const char* name : kNames)
    if ((handle = dlopen(name, RTLD_LAZY | RTLD_LOCAL))) break;
  if (!handle) return library;
  bool complete = true;
#define QUOVI_MPV_RESOLVE(name)                                                        \
  library.name = reinterpret_cast<decltype(&::name)>(dlsym(handle, #name));          \
  complete = complete && library.name;
  QUOVI_MPV_FUNCTIONS(QUOVI_MPV_RESOLVE)
#undef QUOVI_MPV_RESOLVE
  // A library without one of them is no player for this program; it stays loaded but unused.
  if (complete) library.opened = true;
  return library;
}

// Opened once; a second caller waits for the first.
const Library& library() {
  static const Library opened = open_library();
  return opened;
}

// Every call but the two below needs a handle, which only an opened library gives.
const Library& opened_library() {
  const Library& l = library();
  if (!l.opened) {
    std::fputs("libmpv function called without libmpv\n", stderr);
    std::abort();
  }
  return l;
}
}  // namespace

void start_opening_player_library() {
  // Nothing holds the thread back at the end of the program: the opening takes a fraction of a
  // second and leaves nothing to finish.
  std::thread([] { library(); }).detach();
}

bool player_library_opened() { return library().opened; }

extern "C" {
unsigned long mpv_client_api_version(void) {
  return library().opened ? library().mpv_client_api_version() : 0;
}
const char* mpv_error_string(int error) {
  return library().opened ? library().mpv_error_string(error) : "libmpv is not installed";
}
mpv_handle* mpv_create(void) { return library().opened ? library().mpv_create() : nullptr; }
int mpv_initialize(mpv_handle* ctx) { return opened_library().mpv_initialize(ctx); }
void mpv_terminate_destroy(mpv_handle* ctx) { opened_library().mpv_terminate_destroy(ctx); }
int mpv_set_option_string(mpv_handle* ctx, const char* name, const char* data) {
  return opened_library().mpv_set_option_string(ctx, name, data);
}
int mpv_command(mpv_handle* ctx, const char** args) { return opened_library().mpv_command(ctx, args); }
int mpv_command_async(mpv_handle* ctx, uint64_t reply_userdata, const char** args) {
  return opened_library().mpv_command_async(ctx, reply_userdata, args);
}
int mpv_command_node_async(mpv_handle* ctx, uint64_t reply_userdata, mpv_node* args) {
  return opened_library().mpv_command_node_async(ctx, reply_userdata, args);
}
int mpv_set_property_async(mpv_handle* ctx, uint64_t reply_userdata, const char* name, mpv_format format,
                           void* data) {
  return opened_library().mpv_set_property_async(ctx, reply_userdata, name, format, data);
}
int mpv_get_property(mpv_handle* ctx, const char* name, mpv_format format, void* data) {
  return opened_library().mpv_get_property(ctx, name, format, data);
}
void mpv_free(void* data) { opened_library().mpv_free(data); }
int mpv_get_property_async(mpv_handle* ctx, uint64_t reply_userdata, const char* name, mpv_format format) {
  return opened_library().mpv_get_property_async(ctx, reply_userdata, name, format);
}
int mpv_observe_property(mpv_handle* mpv, uint64_t reply_userdata, const char* name, mpv_format format) {
  return opened_library().mpv_observe_property(mpv, reply_userdata, name, format);
}
int mpv_request_log_messages(mpv_handle* ctx, const char* min_level) {
  return opened_library().mpv_request_log_messages(ctx, min_level);
}
mpv_event* mpv_wait_event(mpv_handle* ctx, double timeout) { return opened_library().mpv_wait_event(ctx, timeout); }
void mpv_set_wakeup_callback(mpv_handle* ctx, void (*cb)(void* d), void* d) {
  opened_library().mpv_set_wakeup_callback(ctx, cb, d);
}
int mpv_render_context_create(mpv_render_context** res, mpv_handle* mpv, mpv_render_param* params) {
  return opened_library().mpv_render_context_create(res, mpv, params);
}
void mpv_render_context_set_update_callback(mpv_render_context* ctx, mpv_render_update_fn callback,
                                            void* callback_ctx) {
  opened_library().mpv_render_context_set_update_callback(ctx, callback, callback_ctx);
}
uint64_t mpv_render_context_update(mpv_render_context* ctx) { return opened_library().mpv_render_context_update(ctx); }
int mpv_render_context_render(mpv_render_context* ctx, mpv_render_param* params) {
  return opened_library().mpv_render_context_render(ctx, params);
}
void mpv_render_context_free(mpv_render_context* ctx) { opened_library().mpv_render_context_free(ctx); }
}
