#pragma once
#include <mpv/client.h>
#include <mpv/render.h>

#include <memory>

// Owners of mpv's handles. A render context must be freed before the core it renders for.
struct MpvCoreDeleter {
  void operator()(mpv_handle* h) const { mpv_terminate_destroy(h); }
};
struct MpvRenderContextDeleter {
  void operator()(mpv_render_context* c) const { mpv_render_context_free(c); }
};
using MpvCore = std::unique_ptr<mpv_handle, MpvCoreDeleter>;
using MpvRenderContext = std::unique_ptr<mpv_render_context, MpvRenderContextDeleter>;

// Names of the mpv options and properties the player uses.
namespace mpv_name {
inline constexpr const char* pause = "pause";
inline constexpr const char* core_idle = "core-idle";
inline constexpr const char* idle_active = "idle-active";
inline constexpr const char* paused_for_cache = "paused-for-cache";
inline constexpr const char* cache_buffering_state = "cache-buffering-state";
inline constexpr const char* volume = "volume";
inline constexpr const char* volume_max = "volume-max";
inline constexpr const char* mute = "mute";
inline constexpr const char* video_track = "vid";
inline constexpr const char* video_unscaled = "video-unscaled";
inline constexpr const char* video_output = "vo";
inline constexpr const char* audio_output = "ao";
inline constexpr const char* audio_device = "audio-device";
inline constexpr const char* current_audio_output = "current-ao";  // "null" where no device opened
inline constexpr const char* video_is_picture = "current-tracks/video/image";
inline constexpr const char* stream_record = "stream-record";
inline constexpr const char* audio_codec = "audio-codec-name";
inline constexpr const char* file_size = "file-size";  // unavailable for a live stream
inline constexpr const char* metadata = "metadata";        // the stream's tags; radio titles as "icy-title"
inline constexpr const char* media_title = "media-title";  // a title, or the address when there is none
inline constexpr const char* title = "title";  // what the sound mixer (and a window of mpv's) is told
}  // namespace mpv_name
