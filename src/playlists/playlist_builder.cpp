#include "playlists/playlist_builder.h"

#include "services/stream_address.h"

#include <QString>

#include <algorithm>
#include <cstdint>
#include <functional>

namespace {
bool is_network_address(std::string_view address) {
  return testable_stream_address(QString::fromUtf8(address.data(), static_cast<qsizetype>(address.size()))).has_value();
}
}  // namespace

std::string too_long_reason() { return "longer than " + std::to_string(kMaxPlaylistLineBytes) + " bytes"; }

PlaylistBuilder::PlaylistBuilder(std::string utf8) : slots_(1024) {
  // Offsets into the text are 32 bits wide; the text of a file within kMaxPlaylistBytes, even in
  // its Windows-1252 form, is far shorter.
  if (utf8.size() > UINT32_MAX) throw PlaylistError("The playlist holds too much text.");
  playlist_.texts = std::move(utf8);
}

void PlaylistBuilder::expect_entries(size_t count) {
  count = std::min(count, kMaxPlaylistEntries);
  playlist_.entries.reserve(count);
  size_t slots = slots_.size();
  while (slots < count * 2) slots *= 2;
  if (slots != slots_.size() && playlist_.entries.empty()) slots_.assign(slots, Slot());
}

TextSpan PlaylistBuilder::span_of(std::string_view piece) const {
  if (piece.empty()) return {};
  return {static_cast<uint32_t>(piece.data() - playlist_.texts.data()), static_cast<uint32_t>(piece.size())};
}

PlaylistBuilder::Slot& PlaylistBuilder::slot_of(std::string_view address, size_t hash) {
  const size_t mask = slots_.size() - 1;
  const auto tag = static_cast<uint32_t>(hash >> 32);
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    Slot& slot = slots_[i];
    if (slot.entry == 0) return slot;
    if (slot.tag == tag && playlist_.text(playlist_.entries[slot.entry - 1].address) == address) return slot;
  }
}

void PlaylistBuilder::grow_slots() {
  std::vector<Slot> old(slots_.size() * 2);
  old.swap(slots_);
  for (const Slot& slot : old) {
    if (slot.entry == 0) continue;
    const std::string_view address = playlist_.text(playlist_.entries[slot.entry - 1].address);
    slot_of(address, std::hash<std::string_view>{}(address)) = slot;
  }
}

void PlaylistBuilder::add(size_t line, const EntryFields& fields) {
  if (playlist_.entries.size() == kMaxPlaylistEntries) {
    skip(line, "more than " + std::to_string(kMaxPlaylistEntries) + " entries");
    return;
  }
  const size_t hash = std::hash<std::string_view>{}(fields.address);
  Slot& slot = slot_of(fields.address, hash);
  if (slot.entry != 0) {
    skip(line, "the same address as line " + std::to_string(slot.line));
    return;
  }
  if (!is_network_address(fields.address)) {
    skip(line, "not a network stream address");
    return;
  }

  PlaylistEntry entry;
  entry.address = span_of(fields.address);
  entry.title = span_of(!fields.title.empty()      ? fields.title
                        : !fields.tvg_name.empty() ? fields.tvg_name
                                                   : fields.address);
  entry.group_title = span_of(fields.group_title);
  entry.tvg_id = span_of(fields.tvg_id);
  entry.tvg_name = span_of(fields.tvg_name);
  entry.tvg_logo = span_of(fields.tvg_logo);
  entry.user_agent = span_of(fields.user_agent);
  entry.referrer = span_of(fields.referrer);
  entry.duration = fields.duration;
  entry.radio = fields.radio;
  playlist_.entries.push_back(entry);

  // A file of at most kMaxPlaylistBytes has fewer lines than 32 bits count.
  slot = {static_cast<uint32_t>(hash >> 32), static_cast<uint32_t>(playlist_.entries.size()),
          static_cast<uint32_t>(line)};
  if (playlist_.entries.size() * 2 > slots_.size()) grow_slots();
}

void PlaylistBuilder::add_guide(size_t line, std::string_view address) {
  std::vector<std::string>& guides = playlist_.guide_addresses;
  // Past the bound an address costs no more than reading it, however many header lines there are.
  if (guides.size() == kMaxGuideAddresses) {
    skip(line, "more than " + std::to_string(kMaxGuideAddresses) + " guide addresses");
    return;
  }
  if (address.size() > kMaxGuideAddressBytes) {
    skip(line, "a guide address longer than " + std::to_string(kMaxGuideAddressBytes) + " bytes");
    return;
  }
  if (guides_seen_.contains(address)) return;
  if (!is_network_address(address)) {
    skip(line, "not a network guide address");
    return;
  }
  // Room for all at once: the set looks at the addresses where they are, so they never move.
  if (guides.empty()) guides.reserve(kMaxGuideAddresses);
  guides_seen_.insert(guides.emplace_back(address));
}

void PlaylistBuilder::skip(size_t line, std::string reason) {
  ++playlist_.skipped;
  if (playlist_.skip_examples.size() < Playlist::kSkipExamples)
    playlist_.skip_examples.push_back({line, std::move(reason)});
}

Playlist PlaylistBuilder::finish() {
  playlist_.entries.shrink_to_fit();
  guides_seen_ = {};
  playlist_.guide_addresses.shrink_to_fit();
  slots_ = {};
  return std::move(playlist_);
}
