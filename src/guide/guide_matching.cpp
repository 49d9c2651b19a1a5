#include "guide/guide_matching.h"

#include "catalogue/catalogue_paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QString>

namespace {
std::string folded_id(std::string_view id) {
  std::string folded(id);
  for (char& c : folded)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return folded;
}

bool quality_word(const QString& word) {
  return word == QLatin1String("hd") || word == QLatin1String("fhd") || word == QLatin1String("uhd");
}
}  // namespace

std::string normalised_channel_name(std::string_view name) {
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
    ids_.emplace(folded_id(guide.text(channel.id)), ref);
    for (const GuideDisplayName& name : guide.names_of(channel)) {
      std::string key = normalised_channel_name(guide.text(name.name));
      if (!key.empty()) names_.emplace(std::move(key), ref);
    }
  }
}

std::optional<GuideChannelRef> GuideIndex::by_id(std::string_view id) const {
  const auto found = ids_.find(folded_id(id));
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

ManualGuideMatches load_guide_matches(const QString& path) {
  ManualGuideMatches matches;
  QFile file(path);
  // A small file of the user's choices; one larger than any could be is not read.
  if (!file.open(QIODevice::ReadOnly) || file.size() > (qint64{16} << 20)) return matches;
  const QByteArray bytes = file.readAll();
  for (const QByteArray& line : bytes.split('\n')) {
    const qsizetype tab = line.indexOf('\t');
    if (tab <= 0) continue;
    bool number = false;
    const int id = line.left(tab).toInt(&number);
    if (!number) continue;
    matches[id] = line.mid(tab + 1).trimmed().toStdString();
  }
  return matches;
}

bool save_guide_matches(const QString& path, const ManualGuideMatches& matches) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  for (const auto& [id, guide_id] : matches) {
    // A line end inside an id (a guide may spell one with a character reference) would break the file.
    if (guide_id.find_first_of("\r\n") != std::string::npos) continue;
    file.write(QByteArray::number(id) + '\t');
    file.write(guide_id.data(), static_cast<qint64>(guide_id.size()));
    file.write("\n");
  }
  return file.commit();
}
