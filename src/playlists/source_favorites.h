#pragma once
#include <QString>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The favourites among a source's channels, by stream address, one UTF-8 line each: an entry keeps
// its place among the favourites through refreshes as long as its address stays.

inline constexpr size_t kMaxSourceFavoritesBytes = size_t{16} << 20;

// The addresses of the text, each once, in order; empty lines are passed over.
std::vector<std::string> parse_source_favorites(std::string_view text);
std::string source_favorites_text(const std::vector<std::string>& addresses);

// A missing or unreadable file holds no favourites (the file then stays as it is).
std::vector<std::string> read_source_favorites(const QString& app_data, uint16_t id);
// Whole or not at all; answers why it could not be written, or nothing.
QString write_source_favorites(const QString& app_data, uint16_t id, const std::vector<std::string>& addresses);
