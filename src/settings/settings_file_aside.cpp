#include "settings/settings_file_aside.h"

#include "catalogue/aside_path.h"
#include "settings/settings_file_check.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>

namespace {
// The line check, confirmed by QSettings itself: it must find every setting the lines hold and no
// fault. Where the two disagree the file as a whole cannot be trusted, and nothing is carried over.
SettingsFileCheck check_file(const QString& path, const QByteArray& content) {
  SettingsFileCheck check = check_settings_text(content);
  if (!check.sound()) return check;
  QSettings settings(path, QSettings::IniFormat);
  if (settings.status() == QSettings::NoError && settings.allKeys().size() == check.settings) return check;
  check.bad_lines.push_back({0, {}});
  check.kept.clear();
  return check;
}

QString what_is_wrong(const SettingsFileCheck& check) {
  const SettingsFileCheck::BadLine& first = check.bad_lines.front();
  if (first.number == 0) return QStringLiteral("it holds settings that would be read otherwise than its lines show");
  QString text = QStringLiteral("line %1 %2").arg(first.number).arg(first.reason);
  if (check.bad_lines.size() > 1)
    text += QStringLiteral(" (%1 lines in all cannot be read)").arg(check.bad_lines.size());
  return text;
}

bool write_whole(const QString& path, const QByteArray& content, QString& error) {
  QSaveFile file(path);
  if (file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.commit()) return true;
  error = file.errorString();
  return false;
}
}  // namespace

SettingsFileAside set_aside_unreadable_settings_file(const QString& path) {
  if (!QFileInfo(path).isFile()) return {};
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};  // the write that follows reports what is wrong
  const QByteArray content = file.readAll();
  file.close();
  const SettingsFileCheck check = check_file(path, content);
  if (check.sound()) return {};

  const QString shown_path = QDir::toNativeSeparators(path);
  const QString opening = QStringLiteral("The settings file %1 cannot be read back exactly: %2.\n")
                              .arg(shown_path, what_is_wrong(check));
  const QString copy = free_aside_path(path);
  if (!file.rename(copy)) {
    return {false, opening + QStringLiteral("It could not be moved aside (%1), so Quovi leaves it as it is and "
                                            "saves no settings into it.")
                                 .arg(file.errorString())};
  }
  QString text = opening + QStringLiteral("It was moved to %1").arg(QDir::toNativeSeparators(copy));
  QString error;
  if (check.settings == 0 || check.kept.isEmpty()) {
    text += QStringLiteral("; Quovi starts a new settings file, and your earlier settings are in the copy.");
  } else if (write_whole(path, check.kept, error)) {
    text += QStringLiteral("; Quovi goes on with the settings of its other lines. The lines that cannot be read "
                           "are in the copy.");
  } else {
    text += QStringLiteral("; its other settings could not be carried over into a new file (%1) and are in the "
                           "copy.")
                .arg(error);
  }
  return {true, text};
}
