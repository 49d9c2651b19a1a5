#include "guide/guide_wanted_channels.h"

#include "catalogue/code_page.h"
#include "catalogue/keyed_hash.h"
#include "guide/guide_matching.h"

#include <algorithm>
#include <limits>

void GuideWantedChannels::add_id(std::string_view id) {
  if (!id.empty()) ids_.push_back(keyed_hash(folded_guide_id(id)));
}

void GuideWantedChannels::add_name(std::string_view name) {
  const std::string key = normalised_channel_name(name);
  if (!key.empty()) names_.push_back(keyed_hash(key));
}

void GuideWantedChannels::finish() {
  for (std::vector<uint64_t>* keys : {&ids_, &names_}) {
    std::sort(keys->begin(), keys->end());
    keys->erase(std::unique(keys->begin(), keys->end()), keys->end());
    keys->shrink_to_fit();
  }
}

bool GuideWantedChannels::holds(const std::vector<uint64_t>& keys, uint64_t key) {
  return std::binary_search(keys.begin(), keys.end(), key);
}

bool GuideWantedChannels::wants_id(std::string_view id) const {
  return !id.empty() && holds(ids_, keyed_hash(folded_guide_id(id)));
}

bool GuideWantedChannels::wants_name(std::string_view name) const {
  const std::string key = normalised_channel_name(name);
  return !key.empty() && holds(names_, keyed_hash(key));
}

void UserChannelNames::add_name(std::string_view bytes, bool cp1252) {
  if (bytes.empty() || texts.size() + bytes.size() > std::numeric_limits<uint32_t>::max()) return;
  names.push_back({static_cast<uint32_t>(texts.size()), static_cast<uint32_t>(bytes.size()), cp1252});
  texts.append(bytes);
}

uint64_t UserChannelNames::fingerprint() const {
  // Not a table's key, only a change to notice: a fixed key will do.
  uint64_t bounds = 0;
  for (const Name& name : names) bounds = bounds * 0x100000001b3ULL + name.size * 2 + name.cp1252;
  uint64_t print = siphash<1, 3>(SipHashKey{bounds, ids.size()}, texts.data(), texts.size());
  for (const std::string& id : ids) print = siphash<1, 3>(SipHashKey{print, 0x9e3779b97f4a7c15ULL}, id.data(), id.size());
  return print;
}

GuideWantedChannels wanted_channels_of(const UserChannelNames& channels, const std::vector<std::string>& chosen_ids) {
  GuideWantedChannels wanted;
  const std::string_view texts = channels.texts;
  for (const UserChannelNames::Name& name : channels.names) {
    const std::string_view bytes = texts.substr(name.offset, name.size);
    if (name.cp1252)
      wanted.add_name(cp1252_to_utf8(bytes));
    else
      wanted.add_name(bytes);
  }
  for (const std::string& id : channels.ids) wanted.add_id(id);
  for (const std::string& id : chosen_ids) wanted.add_id(id);
  wanted.finish();
  return wanted;
}
