#pragma once
#include "catalogue/zip_memory_writer.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Channel databases of a few kilobytes that inflate to hundreds of megabytes, each in its "tv.dat"
// member, for the loader's tests and `quovi-catalogue hostile`. A loader that takes a member whole,
// or a record per line end, before looking at the lines runs out of memory on them.
enum class HostileKind {
  nuls,       // `size` NUL bytes
  line_ends,  // `size` LF line ends
  bars,       // one line of `size` "|"
  channels,   // valid channel lines, about `size` bytes of them
};

std::optional<HostileKind> hostile_kind(std::string_view name);  // "nuls", "line-ends", "bars", "channels"
uint64_t default_hostile_size(HostileKind kind);  // 600 MB, 4 million, 300 million, 1 GB

std::vector<ZipMember> hostile_members(HostileKind kind, uint64_t size);
std::string hostile_channel_file(HostileKind kind, uint64_t size);  // encrypted, as channels.dat
