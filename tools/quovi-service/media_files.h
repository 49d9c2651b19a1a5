#pragma once
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// A file of the media folder, open for serving; closed when the last copy goes.
class MediaFile {
 public:
  // Takes the descriptor.
  MediaFile(int fd, size_t size) : fd_(std::make_shared<Descriptor>(fd)), size_(size) {}
  int fd() const { return fd_->fd; }
  size_t size() const { return size_; }

 private:
  struct Descriptor {
    explicit Descriptor(int f) : fd(f) {}
    ~Descriptor();
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int fd;
  };
  std::shared_ptr<Descriptor> fd_;
  size_t size_;
};

// The media folder as served under /media/: only regular files whose real path lies inside it.
// A symbolic link is followed only as far as it stays inside; every step to the file is then
// opened without following links, so a link swapped in meanwhile is refused, not followed.
class MediaFolder {
 public:
  // `folder` must exist; its real path is taken once, now.
  explicit MediaFolder(const std::string& folder);
  bool usable() const { return !root_.empty(); }
  // The file at `relative` (as decoded from the request path); nothing when there is no such
  // regular file inside the folder.
  std::optional<MediaFile> open(std::string_view relative) const;

 private:
  std::string root_;  // its real path
};

// The Content-Type for a media file's name: the demo's audio, video and playlist types, else
// "application/octet-stream".
std::string media_type_of(std::string_view name);
