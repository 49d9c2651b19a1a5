#pragma once
#include "catalogue/zip_memory_writer.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Synthetic but realistic channel databases for tests and benchmarks: about 200 countries and 100
// genres, names of varied length with letters outside ASCII (a few longer than the 154 and 254
// character cuts), real-looking stream addresses, ratings and report counts spread so that every
// report status occurs. The same options always give the same bytes.
struct GeneratorOptions {
  size_t tv = 0;
  size_t radio = 0;
  size_t video = 0;
  uint64_t seed = 1;
};

std::vector<ZipMember> generate_catalogue_members(const GeneratorOptions& options);  // Windows-1252 texts
std::string generate_catalogue_zip(const GeneratorOptions& options);
std::string generate_channel_file(const GeneratorOptions& options);  // encrypted, as channels.dat
