#include "playlists/playlist_builder.h"

#include "catalogue/keyed_hash.h"
#include "catalogue/shown_text.h"
#include "services/stream_address.h"

#include <QString>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {
bool is_network_address(std::string_view address) {
  return is_playable_stream_address(QString::fromUtf8(address.data(), static_cast<qsizetype>(address.size())));
}

std::string cleaned(std::string_view piece) {
  return clean_shown_text(QString::fromUtf8(piece.data(), static_cast<qsizetype>(piece.size()))).toStdString();
}
}  // namespace

std::string too_long_reason() { return "longer than " + std::to_string(kMaxPlaylistLineBytes) + " bytes"; }

bool has_control_character(std::string_view value) {
  for (size_t i = 0; i < value.size(); ++i) {
    const auto b = static_cast<unsigned char>(value[i]);
    if ((b < 0x20 && b != '\t') || b == 0x7F) return true;
    // U+0080..U+009F, the C1 controls, in UTF-8.
    if (b == 0xC2 && i + 1 < value.size() && static_cast<unsigned char>(value[i + 1]) < 0xA0 &&
        static_cast<unsigned char>(value[i + 1]) >= 0x80)
      return true;
  }
  return false;
}

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

std::string_view PlaylistBuilder::clean_in_place(std::string_view piece) {
  if (is_clean_shown_text(piece)) return piece;
  const std::string clean = cleaned(piece);
  // Cleaning drops characters and folds blanks, so it never lengthens; were it ever to, the
  // piece would go rather than spill into its neighbours.
  if (clean.size() > piece.size()) return {};
  char* const at = playlist_.texts.data() + (piece.data() - playlist_.texts.data());
  std::memcpy(at, clean.data(), clean.size());
  return {at, clean.size()};
}

TextSpan PlaylistBuilder::title_of_address(std::string_view address, size_t entry) {
  if (is_clean_shown_text(address)) return span_of(address);
  return kept(cleaned(address), entry, &PlaylistEntry::title);
}

bool PlaylistBuilder::in_text(std::string_view piece) const {
  const auto at = reinterpret_cast<uintptr_t>(piece.data()), start = reinterpret_cast<uintptr_t>(playlist_.texts.data());
  return at >= start && at - start <= playlist_.texts.size() && piece.size() <= playlist_.texts.size() - (at - start);
}

TextSpan PlaylistBuilder::kept(std::string_view text, size_t entry, TextSpan PlaylistEntry::*field) {
  if (text.empty() || in_text(text)) return span_of(text);
  added_spans_.push_back({static_cast<uint32_t>(entry), field,
                          {static_cast<uint32_t>(added_texts_.size()), static_cast<uint32_t>(text.size())}});
  added_texts_ += text;
  return {};
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
    slot_of(address, keyed_hash(address)) = slot;
  }
}

size_t PlaylistBuilder::longest_probe() const {
  const size_t mask = slots_.size() - 1;
  size_t longest = 0;
  for (size_t i = 0; i < slots_.size(); ++i) {
    if (slots_[i].entry == 0) continue;
    const size_t home = keyed_hash(playlist_.text(playlist_.entries[slots_[i].entry - 1].address)) & mask;
    longest = std::max(longest, ((i - home) & mask) + 1);
  }
  return longest;
}

void PlaylistBuilder::add(size_t line, const EntryFields& fields) {
  if (playlist_.entries.size() == kMaxPlaylistEntries) {
    skip(line, "more than " + std::to_string(kMaxPlaylistEntries) + " entries");
    return;
  }
  const size_t hash = keyed_hash(fields.address);
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
  entry.tvg_name = span_of(fields.tvg_name);
  if (const std::string_view title = clean_in_place(fields.title); !title.empty()) {
    entry.title = span_of(title);
  } else if (const std::string_view name = clean_in_place(fields.tvg_name); !name.empty()) {
    entry.title = entry.tvg_name = span_of(name);  // the same piece, cleaned for both
  } else {
    entry.title = title_of_address(fields.address, playlist_.entries.size());
  }
  entry.group_title = span_of(clean_in_place(fields.group_title));
  entry.tvg_id = span_of(fields.tvg_id);
  entry.tvg_logo = span_of(fields.tvg_logo);
  entry.tvg_country = span_of(clean_in_place(fields.tvg_country));
  entry.tvg_language = span_of(clean_in_place(fields.tvg_language));
  const size_t index = playlist_.entries.size();
  entry.user_agent = in_text(fields.user_agent) ? span_of(clean_in_place(fields.user_agent))
                                                : kept(cleaned(fields.user_agent), index, &PlaylistEntry::user_agent);
  entry.referrer = kept(fields.referrer, index, &PlaylistEntry::referrer);
  entry.headers = kept(fields.headers, index, &PlaylistEntry::headers);
  entry.duration = fields.duration;
  entry.guide_shift = fields.guide_shift;
  entry.number = fields.number;
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
  std::vector<Slot>().swap(slots_);  // assigned {} instead, it would keep its buffer
  // Counted beforehand, the entries fit but for the few lines not used; a copy to save a little
  // would cost as much again at the peak.
  if (playlist_.entries.capacity() - playlist_.entries.size() > playlist_.entries.size() / 8)
    playlist_.entries.shrink_to_fit();
  if (!added_texts_.empty()) {
    // Rare (an address with a formatting character and no name, headers that were encoded), so
    // their cost is left to them.
    const TextSpan at = playlist_.add_text(added_texts_);
    for (const AddedText& added : added_spans_)
      playlist_.entries[added.entry].*added.field = {at.offset + added.span.offset, added.span.size};
  }
  decltype(guides_seen_)().swap(guides_seen_);
  playlist_.guide_addresses.shrink_to_fit();
  return std::move(playlist_);
}
