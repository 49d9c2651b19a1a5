// Feeds arbitrary bytes to the settings file check. Whatever it keeps of a file must pass the check
// again with the same settings, since that is what is written back in the damaged file's place.
#include "settings/settings_file_check.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  const QByteArray content(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
  const SettingsFileCheck check = check_settings_text(content);
  int previous = 0;
  for (const auto& line : check.bad_lines) {
    if (line.number <= previous || line.reason.isEmpty()) std::abort();
    previous = line.number;
  }
  const SettingsFileCheck again = check_settings_text(check.kept);
  if (!again.sound() || again.settings != check.settings || again.kept != check.kept) std::abort();
  return 0;
}
