#pragma once
// Channel database files for the benchmarks that load one, made by the catalogue generator in the
// proportions of a real catalogue: 30 % TV, 60 % radio, 10 % video channels.
#include "catalogue/catalogue_generator.h"
#include "catalogue/channel_cipher.h"
#include "catalogue/zip_memory_writer.h"

#include <QDateTime>

#include <string>
#include <vector>

namespace bench {
inline GeneratorOptions catalogue_options(size_t channels) {
  GeneratorOptions options{channels * 3 / 10, channels * 6 / 10, 0, 2026};
  options.video = channels - options.tv - options.radio;
  return options;
}

// The generator's members with the version stamp of `when`, so that the program does not find the
// catalogue outdated and ask about a download.
inline std::vector<ZipMember> members_stamped(size_t channels, const QDateTime& when) {
  std::vector<ZipMember> members = generate_catalogue_members(catalogue_options(channels));
  for (ZipMember& m : members)
    if (m.name == "version.dat") m.content = when.toString(QStringLiteral("yyyyMMddHHmm\r\n")).toStdString();
  return members;
}

// Zipped as the generator zips, then encrypted: the bytes of a channels.dat.
inline std::string channel_file_of(const std::vector<ZipMember>& members) {
  return encrypt_channel_file(make_zip(members, 6, ZipTimestamp{2026, 1, 1, 12, 0, 0}));
}

inline size_t member_bytes(const std::vector<ZipMember>& members) {
  size_t total = 0;
  for (const ZipMember& m : members) total += m.content.size();
  return total;
}
}  // namespace bench
