#pragma once
#include "catalogue/catalogue_error.h"
#include "catalogue/channel_cipher.h"
#include "catalogue/channel_database.h"
#include "catalogue/zip_memory_writer.h"

#include <QByteArray>

#include <string>
#include <vector>

namespace quovi_test {
inline std::string channel_file(const std::vector<ZipMember>& members) { return encrypt_channel_file(make_zip(members)); }

inline std::string to_std(const QByteArray& bytes) { return std::string(bytes.constData(), static_cast<size_t>(bytes.size())); }

// A channel line of the database with the given fields after the id; base64 texts as given.
inline std::string channel_line(int id, const std::string& name64, const std::string& rest) {
  return std::to_string(id) + "|" + name64 + "|" + rest;
}

// Loads the file's bytes into info; answers the error message, empty when the load succeeded.
inline std::string load_members_file(Catalogue& catalogue, const std::string& file, const std::vector<int32_t>& favorites = {}) {
  try {
    load_channel_database_bytes(catalogue, favorites, file);
  } catch (const CatalogueError& e) {
    return e.what();
  }
  return {};
}

// The same for a file holding the members.
inline std::string load_members(Catalogue& catalogue, const std::vector<ZipMember>& members,
                                const std::vector<int32_t>& favorites = {}) {
  return load_members_file(catalogue, channel_file(members), favorites);
}
}  // namespace quovi_test
