#include "catalogue/text_split.h"

#include "catalogue/byte_scan.h"

#include <cstring>

void split_at(TextFields& fields, std::string_view text, char separator) {
  fields.clear();
  const char* start = text.data();
  const char* const end = start + text.size();
  byte_scan::for_each(start, end, separator, [&](const char* at) {
    fields.emplace_back(start, static_cast<size_t>(at - start));
    start = at + 1;
  });
  if (start != end) fields.emplace_back(start, static_cast<size_t>(end - start));
}

void split_text_into(TextFields& fields, std::string_view separator, std::string_view text, int limit) {
  fields.clear();
  if (const void* nul = std::memchr(text.data(), '\0', text.size()))
    text = text.substr(0, static_cast<size_t>(static_cast<const char*>(nul) - text.data()));
  if (text.empty() || limit < 0) return;
  if (separator.empty()) {
    fields.push_back(text);
    return;
  }
  if (separator.size() == 1 && limit == 0) {
    split_at(fields, text, separator[0]);
    return;
  }
  size_t position = 0;
  while (position < text.size()) {
    size_t end = text.find(separator, position);
    if (end == std::string_view::npos || (limit > 0 && fields.size() == static_cast<size_t>(limit) - 1))
      end = text.size();
    fields.push_back(text.substr(position, end - position));
    position = end + separator.size() < text.size() ? end + separator.size() : text.size();
  }
}

TextFields split_text(std::string_view separator, std::string_view text, int limit) {
  TextFields fields;
  split_text_into(fields, separator, text, limit);
  return fields;
}

std::string pad_with_nul(std::string_view text, std::size_t n) {
  std::string padded(text);
  if (n == 0) return padded;
  if (padded.empty() || padded.size() % n != 0) padded.resize((padded.size() / n + 1) * n, '\0');
  return padded;
}
