// Feeds arbitrary bytes to the reader of favorites.dat as the file's content, then checks that
// every line is either an id or counted as a problem, and that the ids, written as at a close with
// no channel database loaded, read back as the same ids.
#include "catalogue/records.h"
#include "catalogue/user_file_reading.h"
#include "catalogue/user_files.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unordered_set>
#include <vector>

namespace {
void require(bool condition) {
  if (!condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  const QByteArray content(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
  const FavoritesContent read = read_favorites_content(content);
  const qsizetype lines = user_file_lines(content).size();
  require(static_cast<qsizetype>(read.ids.size()) + read.problem.bad_lines == lines);

  Catalogue catalogue;  // no channel in memory: every id is kept, each once
  catalogue.favorites = read.ids;
  const std::string text = favorites_file_text(catalogue);
  const FavoritesContent again = read_favorites_content(QByteArray(text.data(), static_cast<qsizetype>(text.size())));
  require(!again.problem.any());
  std::vector<int32_t> unique;
  std::unordered_set<int32_t> seen;
  for (int32_t id : read.ids)
    if (seen.insert(id).second) unique.push_back(id);
  require(again.ids == unique);
  return 0;
}
