#include "views/view_builder.h"

#include "catalogue/code_page.h"
#include "settings/settings_store.h"
#include "settings/source_table_choice.h"
#include "version.h"
#include "views/filter_logic.h"

#include <string>
#include <string_view>

namespace {
bool hidden_by_status(const Channel& item, const ChannelFilter& f) {
  switch (item.status) {
    case kStatusWorksFine: return f.workfine;
    case kStatusNotWorking: return f.notworking;
    case kStatusNew: return f.new_;
    case kStatusWrongInfo: return f.wrong;
    case kStatusDuplicate: return f.duplicate;
    case kStatusSpam: return f.spam;
    default: return false;
  }
}

// Every test but the name, which the list build does on bytes once for all channels.
bool matches_except_name(const Channel& item, const ChannelFilter& f) {
  if (item.type_id > 1) return false;
  if (f.group_id != 0) {
    if (static_cast<uint32_t>(item.group_id) != f.group_id) return false;
  } else if (static_cast<uint32_t>(item.favorited) != f.favorited) {
    return false;
  }
  if (f.country_flag && static_cast<uint32_t>(item.country_id) != f.country_id) return false;
  if (f.genre_flag && static_cast<uint32_t>(item.genre_id) != f.genre_id) return false;
  if (f.bitrate_flag && !(item.bitrate > f.bitrate)) return false;
  if (f.status_flag && hidden_by_status(item, f)) return false;
  return true;
}

// Names are held in Windows-1252, which decodes one byte to one character and back, so searching
// the encoded fragment in the bytes is the same as searching the text in the decoded name; a
// fragment with a character the code page lacks occurs in no such name. Names held in UTF-8 are
// searched with the fragment in UTF-8, which finds only whole characters.
struct NameFragment {
  std::optional<std::string> cp1252;
  std::string utf8;
};

std::optional<NameFragment> name_fragment_bytes(const QString& fragment) {
  if (fragment.isEmpty()) return std::nullopt;
  NameFragment f;
  std::string bytes = qstring_to_cp1252(fragment);
  if (cp1252_to_qstring(bytes) == fragment) f.cp1252 = std::move(bytes);
  f.utf8 = fragment.toUtf8().toStdString();
  return f;
}

bool name_contains(const Channel& item, const NameFragment& fragment) {
  if (item.name.is_utf8()) return item.name.bytes().find(fragment.utf8) != std::string_view::npos;
  return fragment.cp1252 && item.name.bytes().find(*fragment.cp1252) != std::string_view::npos;
}

template <typename Row>
QStringList names_of(const std::vector<Row>& table) {
  QStringList names;
  names.reserve(static_cast<qsizetype>(table.size()));
  for (const Row& row : table) names << row.name.text();
  return names;
}

ViewUpdate finish_command(ChannelListState& state, const BeforeRebuild& before) { return rebuild_view(state, before); }

void drop_criteria(ChannelFilter& f) {
  SettingsWriteBatch batch;
  for (const char* value : {"name_f", "country_f", "genre_f", "bitrate_f", "flag_f"})
    delete_setting(kSettingsKey, QLatin1String(value));
  f.name_flag = f.country_flag = f.genre_flag = f.bitrate_flag = f.status_flag = false;
}

ViewUpdate choose_group(ChannelListState& state, uint16_t group, const BeforeRebuild& before) {
  {
    SettingsWriteBatch batch;
    if (group == kGroupTV)
      delete_setting(kSettingsKey, QStringLiteral("selected"));
    else
      write_integer_setting(kSettingsKey, QStringLiteral("selected"), group);
    delete_setting(kSettingsKey, QStringLiteral("favorited"));
  }
  state.catalogue.filter.group_id = group;
  state.catalogue.filter.favorited = 0;
  return finish_command(state, before);
}
}  // namespace

std::optional<QString> view_caption(const ChannelFilter& filter) {
  const char* suffix = nullptr;
  switch (filter.group_id) {
    case 0: suffix = " - Favorites"; break;
    case kGroupTV: suffix = " - Tv"; break;
    case kGroupRadio: suffix = " - Radio"; break;
    case kGroupVideo: suffix = " - Video"; break;
    default: return std::nullopt;
  }
  return QStringLiteral(QUOVI_PRODUCT_NAME " - " QUOVI_PRODUCT_VERSION) + QLatin1String(suffix);
}

bool clear_filter_shown(const ChannelFilter& f) {
  return f.name_flag || f.country_flag || f.genre_flag || f.bitrate_flag || f.status_flag;
}

CountryList country_list(const Catalogue& catalogue) {
  CountryList list;
  list.entries = country_names(catalogue);
  if (catalogue.filter.country_flag) {
    for (size_t i = 0; i < catalogue.countries.size(); ++i) {
      if (catalogue.countries[i].id == catalogue.filter.country_id) {
        list.selected = static_cast<int>(i);
        break;
      }
    }
  }
  return list;
}

QStringList country_names(const Catalogue& catalogue) { return names_of(catalogue.countries); }
QStringList genre_names(const Catalogue& catalogue) { return names_of(catalogue.genres); }

ViewUpdate build_visible_list(ChannelListState& state) {
  const Catalogue& catalogue = state.catalogue;
  const ChannelFilter& filter = catalogue.filter;
  const std::vector<Channel>& channels = catalogue.channels;

  std::vector<int>& visible = state.visible;
  visible.resize(channels.size());
  int* out = visible.data();
  const size_t count = channels.size();
  if (filter.name_flag) {
    const std::optional<NameFragment> fragment = name_fragment_bytes(filter.name);
    if (fragment) {
      for (size_t p = 0; p < count; ++p)
        if (matches_except_name(channels[p], filter) && name_contains(channels[p], *fragment))
          *out++ = static_cast<int>(p);
    }
  } else {
    for (size_t p = 0; p < count; ++p)
      if (matches_except_name(channels[p], filter)) *out++ = static_cast<int>(p);
  }
  visible.resize(static_cast<size_t>(out - visible.data()));

  ViewUpdate update;
  update.row_count = static_cast<int>(visible.size());
  update.caption = view_caption(filter);
  update.clear_filter_visible = clear_filter_shown(filter);
  return update;
}

ViewUpdate rebuild_view(ChannelListState& state, const BeforeRebuild& before) {
  if (before) before();
  return build_visible_list(state);
}

ViewUpdate choose_tv_view(ChannelListState& state, const BeforeRebuild& before) {
  return choose_group(state, kGroupTV, before);
}
ViewUpdate choose_radio_view(ChannelListState& state, const BeforeRebuild& before) {
  return choose_group(state, kGroupRadio, before);
}
ViewUpdate choose_video_view(ChannelListState& state, const BeforeRebuild& before) {
  return choose_group(state, kGroupVideo, before);
}

ViewUpdate choose_favorites_view(ChannelListState& state, const BeforeRebuild& before) {
  ChannelFilter& f = state.catalogue.filter;
  {
    SettingsWriteBatch batch;
    write_integer_setting(kSettingsKey, QStringLiteral("selected"), 0);
    write_integer_setting(kSettingsKey, QStringLiteral("favorited"), 1);
    f.group_id = 0;
    f.favorited = 1;
    drop_criteria(f);
  }
  // Clearing the criteria and the change of view share one rebuild: a second one would give the
  // same list.
  return finish_command(state, before);
}

ViewUpdate clear_filter(ChannelListState& state, const BeforeRebuild& before) {
  drop_criteria(state.catalogue.filter);
  return finish_command(state, before);
}

ViewUpdate choose_country(ChannelListState& state, int entry, const BeforeRebuild& before) {
  Catalogue& catalogue = state.catalogue;
  if (const std::optional<int32_t> country = chosen_country_id(catalogue.countries, entry)) {
    const int32_t id = *country;
    {
      SettingsWriteBatch batch;
      write_integer_setting(kSettingsKey, QStringLiteral("country_f"), 1);
      write_integer_setting(kSettingsKey, QStringLiteral("country"), id);
    }
    catalogue.filter.country_id = static_cast<uint16_t>(id & 0xFFFF);
    catalogue.filter.country_flag = true;
    store_source_table_choice(catalogue);
  } else {
    delete_setting(kSettingsKey, QStringLiteral("country_f"));
    catalogue.filter.country_id = 0;
    catalogue.filter.country_flag = false;
  }
  return finish_command(state, before);
}
