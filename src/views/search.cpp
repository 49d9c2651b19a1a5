#include "views/search.h"

#include <algorithm>

namespace {
// Without "Match case", letters of every script match in either case ("тест" finds "Тестовый").
QString without_case(const QString& text) { return text.toCaseFolded(); }

bool row_matches(const ChannelListState& state, int row, const QString& needle, bool match_case) {
  const int p = channel_position(state, row);
  if (p < 0) return false;
  const QString name = state.catalogue.channels[static_cast<size_t>(p)].name.text();
  return (match_case ? name : without_case(name)).contains(needle);
}
}  // namespace

int find_channel_row(ChannelListState& state, int row_count, const SearchRequest& request) {
  const int n = std::min(row_count, static_cast<int>(state.visible.size()));
  if (request.text.isEmpty() || n <= 0) return -1;
  const QString needle = request.match_case ? request.text : without_case(request.text);
  const int s = state.search_position;
  if (request.down) {
    for (int r = std::max(s, 0); r < n; ++r) {
      if (row_matches(state, r, needle, request.match_case)) {
        state.search_position = r + 1;
        return r;
      }
    }
  } else {
    for (int r = std::min(s, n - 1); r >= 0; --r) {
      if (row_matches(state, r, needle, request.match_case)) {
        state.search_position = r - 1;
        return r;
      }
    }
  }
  return -1;
}

QString not_found_message(const QString& text) { return QStringLiteral("Could not find \"%1\"").arg(text); }
