// Feeds arbitrary bytes to the "countries.dat" reader as the member's text.
#include "catalogue/catalogue_error.h"
#include "catalogue/channel_members.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(bytes), size);
  std::vector<Country> countries{{99, ShortText::from_bytes("replaced")}};
  LoadAllowance allowance(size);
  try {
    load_country_member(countries, text_source(text), allowance);
  } catch (const CatalogueError&) {
    // Refusing bad input with a message is the expected outcome.
  }
  // One row per line at most, each line at least two bytes ("1|" is too short), names cut to 254 bytes.
  if (countries.size() > size / 2 + 1) __builtin_trap();
  for (const Country& country : countries)
    if (country.name.size() > 254) __builtin_trap();
  return 0;
}
