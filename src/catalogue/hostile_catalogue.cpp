#include "catalogue/hostile_catalogue.h"

#include "catalogue/channel_cipher.h"

#include <algorithm>

namespace {
// Pieces this long keep the text in memory small however large the member is.
constexpr size_t kPiece = 1 << 16;

ZipMember repeated(char byte, uint64_t size) {
  const size_t piece = static_cast<size_t>(std::min<uint64_t>(size, kPiece));
  ZipMember member{"tv.dat", std::string(piece, byte), true, piece == 0 ? 0 : size / piece};
  return member;
}
}  // namespace

std::optional<HostileKind> hostile_kind(std::string_view name) {
  if (name == "nuls") return HostileKind::nuls;
  if (name == "line-ends") return HostileKind::line_ends;
  if (name == "bars") return HostileKind::bars;
  if (name == "channels") return HostileKind::channels;
  return std::nullopt;
}

uint64_t default_hostile_size(HostileKind kind) {
  switch (kind) {
    case HostileKind::nuls: return 600'000'000;
    case HostileKind::line_ends: return 4'000'000;
    case HostileKind::bars: return 300'000'000;
    case HostileKind::channels: return 1'000'000'000;
  }
  return 0;
}

std::vector<ZipMember> hostile_members(HostileKind kind, uint64_t size) {
  std::vector<ZipMember> members{{"version.dat", "201301311530"}};
  switch (kind) {
    case HostileKind::nuls: members.push_back(repeated('\0', size)); break;
    case HostileKind::line_ends: members.push_back(repeated('\n', size)); break;
    case HostileKind::bars: members.push_back(repeated('|', size)); break;
    case HostileKind::channels: {
      // The shortest line that passes every check, as often as it fits.
      const std::string line = "1|||1|1||1|1||0|0|0|0|0|0|0\n";
      std::string piece;
      while (piece.size() + line.size() <= kPiece) piece += line;
      members.push_back({"tv.dat", piece, true, size / piece.size()});
      break;
    }
  }
  return members;
}

std::string hostile_channel_file(HostileKind kind, uint64_t size) {
  return encrypt_channel_file(make_zip(hostile_members(kind, size), 9));
}
