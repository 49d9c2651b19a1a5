#include "media_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>
#include <vector>

MediaFile::Descriptor::~Descriptor() { ::close(fd); }

MediaFolder::MediaFolder(const std::string& folder) {
  std::error_code ec;
  const auto real = std::filesystem::canonical(folder, ec);
  if (!ec && std::filesystem::is_directory(real, ec)) root_ = real.string();
}

std::optional<MediaFile> MediaFolder::open(std::string_view relative) const {
  if (root_.empty() || relative.find('\0') != std::string_view::npos) return std::nullopt;
  std::error_code ec;
  const auto real = std::filesystem::canonical(root_ + "/" + std::string(relative), ec);
  if (ec) return std::nullopt;
  const auto inside = real.lexically_relative(root_);
  std::vector<std::string> steps;
  for (const auto& step : inside) steps.push_back(step.string());
  if (steps.empty() || steps.front() == ".." || steps.front() == "." || steps.front().empty()) return std::nullopt;

  int folder = ::open(root_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  for (size_t i = 0; folder >= 0 && i + 1 < steps.size(); ++i) {
    const int next = ::openat(folder, steps[i].c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    ::close(folder);
    folder = next;
  }
  if (folder < 0) return std::nullopt;
  // Not blocking: a FIFO would otherwise hold the worker until someone writes to it.
  const int fd = ::openat(folder, steps.back().c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  ::close(folder);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return std::nullopt;
  }
  return MediaFile(fd, static_cast<size_t>(info.st_size));
}

std::string media_type_of(std::string_view name) {
  static constexpr std::pair<std::string_view, const char*> kTypes[] = {
      {".ogg", "audio/ogg"},  {".oga", "audio/ogg"},  {".ogv", "video/ogg"},
      {".webm", "video/webm"}, {".mp3", "audio/mpeg"}, {".m3u", "audio/x-mpegurl"}};
  for (const auto& [ending, type] : kTypes)
    if (name.size() >= ending.size() && name.substr(name.size() - ending.size()) == ending) return type;
  return "application/octet-stream";
}
