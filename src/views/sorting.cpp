#include "views/sorting.h"

#include "catalogue/code_page.h"

#include <QString>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace {
char16_t fold(char16_t unit) { return (unit >= u'a' && unit <= u'z') ? unit - (u'a' - u'A') : unit; }

// One pass of the partition exchange over a[lo..hi], exactly as the list has always been sorted:
// pivot key taken from the middle position before anything moves, both scans stop on keys equal to
// it, and equal keys are swapped like any others. Afterwards a[lo..j] and a[i..hi] are the two
// parts still to sort; what lies between them is in place.
template <typename Entry, typename Before>
std::pair<int, int> partition_pass(Entry* a, int lo, int hi, const Before& before) {
  int i = lo;
  int j = hi;
  const Entry pivot = a[lo + (hi - lo) / 2];
  do {
    while (before(a[i], pivot)) ++i;
    while (before(pivot, a[j])) --j;
    if (i <= j) {
      std::swap(a[i], a[j]);
      ++i;
      --j;
    }
  } while (i <= j);
  return {i, j};
}

// Partition-exchange sort of a[lo..hi]. Equal keys end in the order this scheme alone gives. The
// two parts of a pass are independent, so the larger one is deferred to bound the stack.
template <typename Entry, typename Before>
void scheme_sort(Entry* a, int lo, int hi, const Before& before) {
  struct Range {
    int lo, hi;
  };
  std::vector<Range> pending;
  for (;;) {
    while (lo < hi) {
      const auto [i, j] = partition_pass(a, lo, hi, before);
      if (j - lo < hi - i) {
        if (i < hi) pending.push_back({i, hi});
        hi = j;
      } else {
        if (lo < j) pending.push_back({lo, j});
        lo = i;
      }
    }
    if (pending.empty()) return;
    lo = pending.back().lo;
    hi = pending.back().hi;
    pending.pop_back();
  }
}

// Below this many entries a second thread costs more than it saves.
constexpr int kSecondThreadFrom = 50000;

// The same sort with the two parts of the first pass on two threads, where there are two cores:
// the parts are independent, so which thread sorts which changes nothing in the order.
template <typename Entry, typename Before>
void scheme_sort_on_two_threads(Entry* a, int lo, int hi, const Before& before) {
  if (hi - lo < kSecondThreadFrom || std::thread::hardware_concurrency() < 2) return scheme_sort(a, lo, hi, before);
  const auto [i, j] = partition_pass(a, lo, hi, before);
  std::thread left;
  try {
    left = std::thread([&, j = j] { scheme_sort(a, lo, j, before); });
  } catch (const std::system_error&) {
    scheme_sort(a, lo, j, before);
  }
  scheme_sort(a, i, hi, before);
  if (left.joinable()) left.join();
}

// Puts channels[k] := old channels[order[k]] for k in 0..order.size()-1, following cycles so that
// each record moves once and no second array is needed.
void permute(std::vector<Channel>& channels, std::vector<int32_t>& order) {
  const int32_t n = static_cast<int32_t>(order.size());
  for (int32_t start = 0; start < n; ++start) {
    if (order[start] == start) continue;
    Channel held = std::move(channels[start]);
    int32_t k = start;
    for (;;) {
      const int32_t from = order[k];
      order[k] = k;
      if (from == start) {
        channels[k] = std::move(held);
        break;
      }
      channels[k] = std::move(channels[from]);
      k = from;
    }
  }
}

template <typename Entry, typename Before>
void sort_entries_and_apply(std::vector<Channel>& channels, std::vector<Entry>& entries, Before before) {
  scheme_sort_on_two_threads(entries.data(), 0, static_cast<int>(entries.size()) - 1, before);
  std::vector<int32_t> order(entries.size());
  for (size_t k = 0; k < entries.size(); ++k) order[k] = entries[k].index;
  entries.clear();
  entries.shrink_to_fit();
  permute(channels, order);
}

template <typename Number>
struct NumberEntry {
  Number key;
  int32_t index;
};

template <typename Number>
void sort_numbers(std::vector<Channel>& channels, int count, Number Channel::*field, bool ascending) {
  std::vector<NumberEntry<Number>> entries(static_cast<size_t>(count));
  for (int p = 0; p < count; ++p) entries[p] = {channels[p].*field, p};
  if (ascending)
    sort_entries_and_apply(channels, entries, [](const auto& x, const auto& y) { return x.key < y.key; });
  else
    sort_entries_and_apply(channels, entries, [](const auto& x, const auto& y) { return x.key > y.key; });
}

// Text keys are turned once into byte strings whose plain byte order (memcmp, shorter prefix
// first) is the text order, kept in one arena. The first eight bytes ride in the entry itself so
// most comparisons never leave the entry array.
struct TextEntry {
  uint64_t head;  // first eight key bytes, big-endian, zero-padded
  uint32_t offset;
  uint32_t length;
  int32_t index;
};

class TextKeys {
 public:
  void add(std::string_view key, int32_t index) {
    uint64_t head = 0;
    for (size_t k = 0; k < 8; ++k)
      head = (head << 8) | (k < key.size() ? static_cast<unsigned char>(key[k]) : 0u);
    entries_.push_back({head, static_cast<uint32_t>(arena_.size()), static_cast<uint32_t>(key.size()), index});
    arena_.append(key);
  }
  void reserve(size_t count, size_t bytes) {
    entries_.reserve(count);
    arena_.reserve(bytes);
  }
  std::vector<TextEntry>& entries() { return entries_; }

  int compare(const TextEntry& x, const TextEntry& y) const {
    if (x.head != y.head) return x.head < y.head ? -1 : 1;
    // Equal heads mean equal first bytes only when both keys are longer than the head.
    const size_t skip = (x.length > 8 && y.length > 8) ? 8 : 0;
    const std::string_view a(arena_.data() + x.offset + skip, x.length - skip);
    const std::string_view b(arena_.data() + y.offset + skip, y.length - skip);
    return a.compare(b);
  }

 private:
  std::vector<TextEntry> entries_;
  std::string arena_;
};

// Windows-1252 bytes mapped to one byte each, ordered like their folded UTF-16 code units: the
// code page decodes byte by byte and folding only merges a-z into A-Z, so at most 230 ranks exist.
const std::array<unsigned char, 256>& cp1252_ranks() {
  static const std::array<unsigned char, 256> ranks = [] {
    std::array<char16_t, 256> units{};
    for (int b = 0; b < 256; ++b) {
      const char byte = static_cast<char>(b);
      units[b] = fold(cp1252_to_qstring(std::string_view(&byte, 1)).at(0).unicode());
    }
    std::array<char16_t, 256> sorted = units;
    std::sort(sorted.begin(), sorted.end());
    const auto end = std::unique(sorted.begin(), sorted.end());
    std::array<unsigned char, 256> r{};
    for (int b = 0; b < 256; ++b)
      r[b] = static_cast<unsigned char>(1 + (std::lower_bound(sorted.begin(), end, units[b]) - sorted.begin()));
    return r;
  }();
  return ranks;
}

// Keys of names that include UTF-8 ones: the folded text as UTF-8, whose byte order is code point
// order. A Windows-1252 name gets the same order this way as from its ranks (its characters all lie
// in the first plane, where code point and code unit order agree), so the whole list sorts as one.
std::string folded_utf8_of_cp1252_byte(unsigned char byte) {
  const char c = static_cast<char>(byte);
  const QChar unit(fold(cp1252_to_qstring(std::string_view(&c, 1)).at(0).unicode()));
  return QString(unit).toUtf8().toStdString();
}

const std::array<std::string, 256>& cp1252_folded_utf8() {
  static const std::array<std::string, 256> table = [] {
    std::array<std::string, 256> t;
    for (int b = 0; b < 256; ++b) t[b] = folded_utf8_of_cp1252_byte(static_cast<unsigned char>(b));
    return t;
  }();
  return table;
}

void folded_utf8_key(const ShortText& text, std::string& key) {
  const std::string_view bytes = text.bytes();
  key.clear();
  if (text.is_utf8()) {
    key.assign(bytes);
    for (char& c : key)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - ('a' - 'A'));
    return;
  }
  const auto& table = cp1252_folded_utf8();
  for (const char c : bytes) key += table[static_cast<unsigned char>(c)];
}

void unicode_short_text_keys(const std::vector<Channel>& channels, int count, ShortText Channel::*field,
                             TextKeys& keys) {
  std::string key;
  for (int p = 0; p < count; ++p) {
    folded_utf8_key(channels[p].*field, key);
    keys.add(key, p);
  }
}

void short_text_keys(const std::vector<Channel>& channels, int count, ShortText Channel::*field, TextKeys& keys) {
  const auto& ranks = cp1252_ranks();
  size_t bytes = 0;
  for (int p = 0; p < count; ++p) bytes += (channels[p].*field).size();
  keys.reserve(static_cast<size_t>(count), bytes);
  std::string key;
  for (int p = 0; p < count; ++p) {
    const ShortText& text = channels[p].*field;
    if (text.is_utf8()) {
      // Rare (names from playlists only): start again with keys every name can have.
      keys = TextKeys();
      keys.reserve(static_cast<size_t>(count), bytes + bytes / 2);
      return unicode_short_text_keys(channels, count, field, keys);
    }
    const std::string_view bytes_of_text = text.bytes();
    key.resize(bytes_of_text.size());
    for (size_t k = 0; k < bytes_of_text.size(); ++k)
      key[k] = static_cast<char>(ranks[static_cast<unsigned char>(bytes_of_text[k])]);
    keys.add(key, p);
  }
}

// Comments may hold any character: their key is the folded UTF-16 text, each unit as two bytes
// with the high byte first.
void comment_keys(const std::vector<Channel>& channels, int count, TextKeys& keys) {
  size_t bytes = 0;
  for (int p = 0; p < count; ++p) bytes += 2 * channels[p].comment.size();
  keys.reserve(static_cast<size_t>(count), bytes);
  std::string key;
  for (int p = 0; p < count; ++p) {
    const QString text = to_qstring(channels[p].comment);
    key.resize(2 * static_cast<size_t>(text.size()));
    for (qsizetype k = 0; k < text.size(); ++k) {
      const char16_t unit = fold(text[k].unicode());
      key[2 * k] = static_cast<char>(unit >> 8);
      key[2 * k + 1] = static_cast<char>(unit & 0xFF);
    }
    keys.add(key, p);
  }
}

void sort_texts(std::vector<Channel>& channels, TextKeys& keys, bool ascending) {
  if (ascending)
    sort_entries_and_apply(channels, keys.entries(),
                           [&keys](const TextEntry& x, const TextEntry& y) { return keys.compare(x, y) < 0; });
  else
    sort_entries_and_apply(channels, keys.entries(),
                           [&keys](const TextEntry& x, const TextEntry& y) { return keys.compare(x, y) > 0; });
}

void sort_short_texts(std::vector<Channel>& channels, int count, ShortText Channel::*field, bool ascending) {
  TextKeys keys;
  short_text_keys(channels, count, field, keys);
  sort_texts(channels, keys, ascending);
}

void sort_range(std::vector<Channel>& channels, int count, int column, bool flag) {
  switch (column) {
    case kSortChannel: sort_short_texts(channels, count, &Channel::name, !flag); break;
    case kSortGenre: sort_short_texts(channels, count, &Channel::genre, !flag); break;
    case kSortRating: sort_numbers(channels, count, &Channel::average_rating, flag); break;
    case kSortBitrate: sort_numbers(channels, count, &Channel::bitrate, flag); break;
    case kSortComments: {
      TextKeys keys;
      comment_keys(channels, count, keys);
      sort_texts(channels, keys, !flag);
      break;
    }
    default: break;
  }
}
}  // namespace

int compare_in_text_order(QStringView a, QStringView b) {
  const qsizetype n = std::min(a.size(), b.size());
  for (qsizetype k = 0; k < n; ++k) {
    const char16_t x = fold(a[k].unicode());
    const char16_t y = fold(b[k].unicode());
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

void sort_channels(Catalogue& catalogue, int hi, int column, bool& sort_flag, int& last_sort_column) {
  last_sort_column = column;
  if (column < kSortChannel || column > kSortComments) return;
  const int last = std::min<long long>(hi, static_cast<long long>(catalogue.channels.size()) - 1);
  if (last >= 1) sort_range(catalogue.channels, last + 1, column, sort_flag);
  sort_flag = !sort_flag;
}

void sort_channels(ChannelListState& state, int hi, int column) {
  sort_channels(state.catalogue, hi, column, state.sort_flag, state.last_sort_column);
}

namespace {
int last_position(const ChannelListState& state) { return static_cast<int>(state.catalogue.channels.size()) - 1; }
}  // namespace

void sort_after_load(ChannelListState& state) { sort_channels(state, last_position(state), kSortChannel); }

void sort_after_update_reload(ChannelListState& state) {
  state.sort_flag = !state.sort_flag;
  sort_channels(state, last_position(state), kSortChannel);
}

void sort_like_list(std::vector<Channel>& joining, int last_sort_column, bool sort_flag) {
  // The list was sorted with the flag as it stood before that sort turned it over.
  if (joining.size() >= 2) sort_range(joining, static_cast<int>(joining.size()), last_sort_column, !sort_flag);
}

namespace {
// The merge's text keys: the folded UTF-8 keys, whose order is that of the sort's keys for every
// name, as code point order.
const ShortText* merge_text(const Channel& c, int column) {
  return column == kSortChannel ? &c.name : column == kSortGenre ? &c.genre : nullptr;
}

bool is_text_merge(int column) { return column == kSortChannel || column == kSortGenre; }

// The list text's folded UTF-8 key against a key made by folded_utf8_key, without making the
// list text's key: most comparisons are decided by the first character or two.
int compare_folded(const ShortText& text, std::string_view key) {
  const std::string_view bytes = text.bytes();
  size_t at = 0;
  const auto step = [&](std::string_view piece) {
    const std::string_view other = key.substr(at, piece.size());
    const int order = piece.compare(0, other.size(), other);
    if (order != 0) return order;
    if (other.size() < piece.size()) return 1;  // the key ended inside this character
    at += piece.size();
    return 0;
  };
  if (text.is_utf8()) {
    for (const char c : bytes) {
      const char folded = (c >= 'a' && c <= 'z') ? static_cast<char>(c - ('a' - 'A')) : c;
      if (const int order = step(std::string_view(&folded, 1))) return order;
    }
  } else {
    const auto& table = cp1252_folded_utf8();
    for (const char c : bytes)
      if (const int order = step(table[static_cast<unsigned char>(c)])) return order;
  }
  return at == key.size() ? 0 : -1;
}

// Whether a joining channel comes before a list channel in the list's order.
class MergeOrder {
 public:
  MergeOrder(int column, bool flag) : column_(column), flag_(flag) {}
  bool before(const Channel& joining, const std::string& joining_key, const Channel& c) const {
    switch (column_) {
      case kSortChannel:
      case kSortGenre: {
        const int order = compare_folded(*merge_text(c, column_), joining_key);  // list against joining
        return !flag_ ? order > 0 : order < 0;
      }
      case kSortRating: return flag_ ? joining.average_rating < c.average_rating : joining.average_rating > c.average_rating;
      case kSortBitrate: return flag_ ? joining.bitrate < c.bitrate : joining.bitrate > c.bitrate;
      case kSortComments: {
        const int order = compare_in_text_order(to_qstring(joining.comment), to_qstring(c.comment));
        return !flag_ ? order < 0 : order > 0;
      }
      default: return false;
    }
  }

 private:
  int column_;
  bool flag_;
};
}  // namespace

std::vector<std::string> merge_keys(const std::vector<Channel>& joining, int last_sort_column) {
  std::vector<std::string> keys;
  if (!is_text_merge(last_sort_column)) return keys;
  keys.resize(joining.size());
  for (size_t k = 0; k < joining.size(); ++k) folded_utf8_key(*merge_text(joining[k], last_sort_column), keys[k]);
  return keys;
}

std::vector<Channel> merge_into_sorted_list(std::vector<Channel>& list, std::vector<Channel>& joining,
                                            const std::vector<std::string>& joining_keys, std::vector<Channel> room,
                                            int last_sort_column, bool sort_flag,
                                            const std::function<bool(const Channel&)>& keep) {
  size_t filled = 0;
  const auto put = [&](Channel&& c) {
    if (filled < room.size())
      room[filled] = std::move(c);
    else
      room.push_back(std::move(c));
    ++filled;
  };
  // The list was sorted with the flag as it stood before that sort turned it over.
  MergeOrder order(last_sort_column, !sort_flag);
  const bool sorted = last_sort_column >= kSortChannel && last_sort_column <= kSortComments &&
                      (!is_text_merge(last_sort_column) || joining_keys.size() == joining.size());
  static const std::string kNoKey;
  std::vector<Channel> left;
  size_t j = 0;
  for (Channel& c : list) {
    if (!keep(c)) {
      left.push_back(std::move(c));
      continue;
    }
    while (sorted && j < joining.size() && order.before(joining[j], j < joining_keys.size() ? joining_keys[j] : kNoKey, c))
      put(std::move(joining[j++]));
    put(std::move(c));
  }
  while (j < joining.size()) put(std::move(joining[j++]));
  room.resize(filled);
  list = std::move(left);
  joining.clear();
  return room;
}

void sort_after_adding_channel(ChannelListState& state) {
  state.sort_flag = !state.sort_flag;
  sort_channels(state, last_position(state), state.last_sort_column);
}

bool sort_by_column_click(ChannelListState& state, int column) {
  if (state.visible.empty()) return false;
  sort_channels(state, last_position(state), column);
  return true;
}
