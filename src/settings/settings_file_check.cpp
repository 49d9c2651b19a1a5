#include "settings/settings_file_check.h"

#include <QHash>
#include <QStringDecoder>

#include <optional>

namespace {
// QSettings trims only blanks and tabs around names and values.
QStringView trimmed(QStringView text) {
  qsizetype begin = 0;
  qsizetype end = text.size();
  while (begin < end && (text[begin] == u' ' || text[begin] == u'\t')) ++begin;
  while (end > begin && (text[end - 1] == u' ' || text[end - 1] == u'\t')) --end;
  return text.mid(begin, end - begin);
}

bool has_control_character(QStringView text) {
  for (const QChar c : text)
    if (c.unicode() < 0x20 && c != u'\t') return true;
  return false;
}

struct Line {
  enum Kind { Blank, Comment, Section, Setting, Bad } kind = Bad;
  QString reason;  // for Bad
  QString name;    // the section's or the setting's name as written
};

Line bad(const QString& reason) { return {Line::Bad, reason, {}}; }

Line read_section(QStringView text) {
  if (!text.endsWith(u']')) return bad(QStringLiteral("opens a section name it does not close with \"]\""));
  const QStringView name = trimmed(text.mid(1, text.size() - 2));
  if (name.isEmpty()) return bad(QStringLiteral("is a section line without a name"));
  for (const QChar c : name)
    if (c == u'[' || c == u']' || c == u'"' || c == u';' || c == u'\\')
      return bad(QStringLiteral("holds a \"%1\" in its section name").arg(c));
  return {Line::Section, {}, name.toString()};
}

// Mirrors how QSettings finds a line's end and its "=": a backslash escapes the next character,
// quotes run until they close (across line ends), and ";" outside quotes starts a comment.
Line read_setting(QStringView text) {
  bool in_quotes = false;
  qsizetype equals = -1;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == u'\\') {
      if (i + 1 == text.size()) return bad(QStringLiteral("ends with a backslash, which joins the next line to it"));
      ++i;
    } else if (c == u'"') {
      in_quotes = !in_quotes;
    } else if (c == u'=') {
      if (!in_quotes && equals < 0) equals = i;
    } else if (c == u';' && !in_quotes) {
      return bad(QStringLiteral("holds a \";\" outside quotes, where its value would be cut off"));
    }
  }
  if (in_quotes) return bad(QStringLiteral("opens a quote it does not close"));
  if (equals < 0) return bad(QStringLiteral("is neither a setting (name=value) nor a section"));
  const QStringView name = trimmed(text.left(equals));
  if (name.isEmpty()) return bad(QStringLiteral("has no name before its \"=\""));
  return {Line::Setting, {}, name.toString()};
}

Line read_line(const QByteArray& bytes) {
  // A byte-order mark inside the file is a character to QSettings, not a mark to drop.
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
  const QString text = utf8(bytes);
  if (utf8.hasError()) return bad(QStringLiteral("holds bytes that are not UTF-8 text"));
  // Left from files run together: at the head of a name it would make another setting.
  if (text.contains(QChar(0xFEFF))) return bad(QStringLiteral("holds a byte-order mark"));
  if (has_control_character(text)) return bad(QStringLiteral("holds a control character"));
  const QStringView line = trimmed(text);
  if (line.isEmpty()) return {Line::Blank, {}, {}};
  if (line.startsWith(u';')) return {Line::Comment, {}, {}};
  if (line.startsWith(u'[')) return read_section(line);
  return read_setting(line);
}

// The name QSettings gives a setting: its section (none for "General") and its name, with "\" as "/".
QString full_name(const QString& section, const QString& name) {
  QString key = name;
  key.replace(u'\\', u'/');
  return section.isEmpty() ? key : section + u'/' + key;
}
}  // namespace

SettingsFileCheck check_settings_text(const QByteArray& content) {
  QList<QByteArray> lines = content.split('\n');
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  if (!lines.isEmpty() && lines.first().startsWith("\xEF\xBB\xBF")) lines.first().remove(0, 3);

  std::vector<std::optional<QString>> problem(static_cast<size_t>(lines.size()));
  QHash<QString, qsizetype> setting_line;  // full name -> index of the line that sets it last
  QString section;
  qsizetype damaged_section = -1;  // index of the damaged section line the lines below belong to
  for (qsizetype i = 0; i < lines.size(); ++i) {
    QByteArray& bytes = lines[i];
    if (bytes.endsWith('\r')) bytes.chop(1);
    const Line line = read_line(bytes);
    auto& why = problem[static_cast<size_t>(i)];
    switch (line.kind) {
      case Line::Blank:
      case Line::Comment: break;
      case Line::Bad:
        why = line.reason;
        if (bytes.trimmed().startsWith('[')) damaged_section = i;
        break;
      case Line::Section:
        damaged_section = -1;
        section = line.name.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0 ? QString() : line.name;
        break;
      case Line::Setting: {
        if (damaged_section >= 0) {
          why = QStringLiteral("lies in the damaged section of line %1").arg(damaged_section + 1);
          break;
        }
        const QString name = full_name(section, line.name);
        if (const auto earlier = setting_line.constFind(name); earlier != setting_line.cend())
          problem[static_cast<size_t>(*earlier)] = QStringLiteral("is set again on line %1").arg(i + 1);
        setting_line.insert(name, i);
        break;
      }
    }
  }

  SettingsFileCheck check;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    if (const auto& why = problem[static_cast<size_t>(i)]) {
      check.bad_lines.push_back({static_cast<int>(i + 1), *why});
      continue;
    }
    check.kept += lines[i];
    check.kept += '\n';
  }
  check.settings = static_cast<int>(setting_line.size());
  return check;
}
