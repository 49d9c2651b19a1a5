#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The channels the user has, as a guide asks about them: which guide channel ids and display names
// would be matched by one of them (guide_matching's rules). A guide keeps programmes only for those,
// so a guide of ten thousand channels costs what the user's fifty of them cost.
//
// Held as keyed hashes of the folded ids and normalised names: a million catalogue names take 8 MB
// here, and the keys of outside text cannot be crafted to meet.
class GuideWantedChannels {
 public:
  // The texts are as the channels hold them (UTF-8); they are folded and normalised here.
  void add_id(std::string_view id);
  void add_name(std::string_view name);
  // Call once everything was added, before asking.
  void finish();

  bool wants_id(std::string_view id) const;
  bool wants_name(std::string_view name) const;
  size_t size() const { return ids_.size() + names_.size(); }

 private:
  static bool holds(const std::vector<uint64_t>& keys, uint64_t key);
  std::vector<uint64_t> ids_, names_;
};

// What GuideWantedChannels is made of, gathered on the GUI thread from the channel list in one
// cheap pass (no conversion), to be made into keys on a worker.
struct UserChannelNames {
  std::string texts;
  struct Name {
    uint32_t offset = 0;
    uint32_t size = 0;
    bool cp1252 = false;  // Windows-1252 bytes, as the catalogue keeps its names; else UTF-8
  };
  std::vector<Name> names;
  std::vector<std::string> ids;  // tvg-ids of playlist channels

  void add_name(std::string_view bytes, bool cp1252);
  // Changes whenever what the keys are made of changes.
  uint64_t fingerprint() const;
};
// The keys of the channels, and of the guide ids the user chose by hand.
GuideWantedChannels wanted_channels_of(const UserChannelNames& channels, const std::vector<std::string>& chosen_ids = {});
