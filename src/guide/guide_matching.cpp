#include "guide/guide_matching.h"

#include "catalogue/catalogue_paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QString>

std::string folded_guide_id(std::string_view id) {
  std::string folded(id);
  for (char& c : folded)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return folded;
}

namespace {
bool ascii_alnum(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// The rule below for a name of ASCII alone, where decomposing, marks and case folding come down to
// lower-casing letters: the guide asks this of every name of a catalogue of a million channels.
std::optional<std::string> ascii_normalised(std::string_view name) {
  std::string joined;
  joined.reserve(name.size());
  size_t last_word = std::string::npos;  // where the last word starts in `joined`
  bool in_word = false;
  size_t words = 0;
  for (const char c : name) {
    if (static_cast<unsigned char>(c) >= 0x80) return std::nullopt;
    if (!ascii_alnum(c)) {
      in_word = false;
      continue;
    }
    if (!in_word) {
      last_word = joined.size();
      ++words;
      in_word = true;
    }
    joined += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  if (words > 1) {
    const std::string_view last = std::string_view(joined).substr(last_word);
    if (last == "hd" || last == "fhd" || last == "uhd") joined.resize(last_word);
  }
  return joined;
}

bool quality_word(const QString& word) {
  return word == QLatin1String("hd") || word == QLatin1String("fhd") || word == QLatin1String("uhd");
}
}  // namespace

std::string normalised_channel_name(std::string_view name) {
  if (std::optional<std::string> plain = ascii_normalised(name)) return std::move(*plain);
  const QString decomposed =
      QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())).normalized(QString::NormalizationForm_KD);
  std::vector<QString> words(1);
  for (const QChar c : decomposed) {
    if (c.category() == QChar::Mark_NonSpacing || c.category() == QChar::Mark_SpacingCombining ||
        c.category() == QChar::Mark_Enclosing)
      continue;
    if (c.isLetterOrNumber() || c.isSurrogate()) {
      words.back() += c;
    } else if (!words.back().isEmpty()) {
      words.emplace_back();
    }
  }
  if (words.back().isEmpty()) words.pop_back();
  for (QString& word : words) word = word.toCaseFolded();
  if (words.size() > 1 && quality_word(words.back())) words.pop_back();
  QString joined;
  for (const QString& word : words) joined += word;
  return joined.toStdString();
}

void GuideIndex::add(const Guide& guide, uint32_t guide_number) {
  for (uint32_t i = 0; i < guide.channels.size(); ++i) {
    const GuideChannel& channel = guide.channels[i];
    const GuideChannelRef ref{guide_number, i};
    ids_.emplace(folded_guide_id(guide.text(channel.id)), ref);
    for (const GuideDisplayName& name : guide.names_of(channel)) {
      std::string key = normalised_channel_name(guide.text(name.name));
      if (!key.empty()) names_.emplace(std::move(key), ref);
    }
  }
}

std::optional<GuideChannelRef> GuideIndex::by_id(std::string_view id) const {
  const auto found = ids_.find(folded_guide_id(id));
  if (found == ids_.end()) return std::nullopt;
  return found->second;
}

std::optional<GuideChannelRef> GuideIndex::by_name(std::string_view name) const {
  const std::string key = normalised_channel_name(name);
  if (key.empty()) return std::nullopt;
  const auto found = names_.find(key);
  if (found == names_.end()) return std::nullopt;
  return found->second;
}

std::optional<GuideChannelRef> match_channel(const GuideIndex& index, const ChannelToMatch& channel) {
  if (channel.manual) {
    if (channel.manual->empty()) return std::nullopt;
    return index.by_id(*channel.manual);
  }
  if (!channel.tvg_id.empty())
    if (const auto found = index.by_id(channel.tvg_id)) return found;
  return index.by_name(channel.name);
}

QString guide_matches_path(const QString& app_data) {
  return catalogue_folder(app_data) + QStringLiteral("guide matches.txt");
}

namespace {
// A line end inside an id (a guide may spell one with a character reference) would break the file.
bool storable_guide_id(std::string_view guide_id) { return guide_id.find_first_of("\r\n") == std::string_view::npos; }
}  // namespace

ManualGuideMatches load_guide_matches(const QString& path) {
  ManualGuideMatches matches;
  QFile file(path);
  // A small file of the user's choices; one larger than any could be is not read.
  if (!file.open(QIODevice::ReadOnly) || file.size() > (qint64{16} << 20)) return matches;
  const QByteArray bytes = file.readAll();
  for (const QByteArray& line : bytes.split('\n')) {
    const qsizetype tab = line.indexOf('\t');
    if (tab <= 0) continue;
    const QByteArray key = line.left(tab).trimmed();
    bool number = false;
    const int id = key.toInt(&number);
    // An id, or an address (which has a scheme).
    if (!number && !key.contains("://")) continue;
    std::string guide_id = line.mid(tab + 1).trimmed().toStdString();
    if (storable_guide_id(guide_id)) matches[number ? std::to_string(id) : key.toStdString()] = std::move(guide_id);
  }
  return matches;
}

bool save_guide_matches(const QString& path, const ManualGuideMatches& matches) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  for (const auto& [key, guide_id] : matches) {
    if (!storable_guide_id(guide_id) || key.empty() || key.find('\t') != std::string::npos || !storable_guide_id(key))
      continue;
    file.write(key.data(), static_cast<qint64>(key.size()));
    file.write("\t");
    file.write(guide_id.data(), static_cast<qint64>(guide_id.size()));
    file.write("\n");
  }
  return file.commit();
}
