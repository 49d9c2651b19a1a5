#include "settings/settings_store.h"

#include "catalogue/strict_number.h"
#include "settings/settings_file_aside.h"

#include "widgets/messages.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <limits>
#include <optional>

namespace {
int batch_depth = 0;
QString pending_failure;  // first failure seen inside the running batch
SettingsWriteLog* write_log = nullptr;

// "\SOFTWARE\Talvex\Quovi\" becomes the group "SOFTWARE/Talvex/Quovi".
QString group_of(const QString& key) {
  QString group = key;
  group.replace(QLatin1Char('\\'), QLatin1Char('/'));
  while (group.startsWith(QLatin1Char('/'))) group.remove(0, 1);
  while (group.endsWith(QLatin1Char('/'))) group.chop(1);
  return group;
}

QString full_key(const QString& key, const QString& value) {
  const QString group = group_of(key);
  return group.isEmpty() ? value : group + QLatin1Char('/') + value;
}

void report_failure(const QString& text) {
  if (batch_depth > 0) {
    if (pending_failure.isEmpty()) pending_failure = text;
    return;
  }
  show_error(nullptr, text);
}

class StoredValues {
 public:
  StoredValues(QSettings& settings, const QString& key) : settings_(settings), key_(key) {}

  // The stored text, or nothing when the value is absent or was stored as something else.
  std::optional<QString> text(const char* value) const {
    const QVariant v = settings_.value(full_key(key_, QLatin1String(value)));
    if (!v.isValid() || v.typeId() != QMetaType::QString) return std::nullopt;
    return v.toString();
  }
  // Absent, empty and non-integer texts read as 0.
  int32_t number(const char* value) const {
    const std::optional<QString> t = text(value);
    if (!t) return 0;
    return parse_int32(*t).value_or(0);
  }

 private:
  QSettings& settings_;
  QString key_;
};

void take_u16(const StoredValues& store, const char* value, uint16_t& field) {
  const int32_t n = store.number(value);
  if (n > 0) field = static_cast<uint16_t>(n & 0xFFFF);
}
// "selected": 0 is the Favorites view, above 0 a group. A text that is no number, or one beyond the
// field's 16 bits, counts as absent (the TV view): read as 0, or cut to its low bits, it would name
// a view nobody chose.
void take_group(const StoredValues& store, uint16_t& group_id) {
  const std::optional<QString> text = store.text("selected");
  if (!text) return;
  const std::optional<int32_t> n = parse_int32(*text);
  if (n && *n >= 0 && *n <= std::numeric_limits<uint16_t>::max()) group_id = static_cast<uint16_t>(*n);
}
void take_switch(const StoredValues& store, const char* value, bool& field) {
  const int32_t n = store.number(value);
  if (n > 0) field = (n & 0xFF) != 0;
}
}  // namespace

QString settings_file_path() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/Talvex/Quovi.conf");
}

std::unique_ptr<QSettings> open_settings_file() {
  return std::make_unique<QSettings>(settings_file_path(), QSettings::IniFormat);
}

bool change_settings_file(const QString& what, const std::function<void(QSettings&)>& change) {
  const QString path = settings_file_path();
  const SettingsFileAside aside = set_aside_unreadable_settings_file(path);
  if (!aside.may_write) {
    report_failure(aside.message);
    return false;
  }
  // Told at once: the next write finds the new file and has nothing more to say about it.
  if (!aside.message.isEmpty()) show_warning(nullptr, aside.message);
  QDir().mkpath(QFileInfo(path).absolutePath());
  QSettings settings(path, QSettings::IniFormat);
  change(settings);
  settings.sync();
  // Only a failed access means the write did not happen: QSettings also writes after reporting a
  // format fault in what it read (which the set-aside above leaves no room for).
  if (settings.status() != QSettings::AccessError) return true;
  report_failure(QStringLiteral("The setting \"%1\" could not be saved to %2: the file cannot be written.")
                     .arg(what, QDir::toNativeSeparators(path)));
  return false;
}

bool write_integer_setting(const QString& key, const QString& value, int32_t data) {
  return write_text_setting(key, value, QString::number(data));
}

bool write_text_setting(const QString& key, const QString& value, const QString& data) {
  if (write_log) write_log->entries << value + QLatin1Char('=') + data;
  return change_settings_file(value, [&](QSettings& s) { s.setValue(full_key(key, value), data); });
}

bool delete_setting(const QString& key, const QString& value) {
  if (write_log) write_log->entries << QLatin1Char('-') + value;
  const QString path = settings_file_path();
  if (!QFileInfo::exists(path)) return true;
  return change_settings_file(value, [&](QSettings& s) { s.remove(full_key(key, value)); });
}

std::optional<int32_t> read_integer_setting(const QString& value) {
  QSettings settings(settings_file_path(), QSettings::IniFormat);
  const std::optional<QString> text = StoredValues(settings, kSettingsKey).text(value.toLatin1().constData());
  if (!text) return std::nullopt;
  return parse_int32(*text);
}

void load_settings(ChannelFilter& filter) {
  const QString path = settings_file_path();
  QSettings settings(path, QSettings::IniFormat);
  const QString group = group_of(kSettingsKey);
  settings.beginGroup(group);
  const bool key_exists = !settings.childKeys().isEmpty() || !settings.childGroups().isEmpty();
  settings.endGroup();
  if (!key_exists) {
    filter.group_id = kGroupTV;
    filter.favorited = 0;
    filter.country_id = 0;
    return;
  }

  const StoredValues store(settings, kSettingsKey);
  take_group(store, filter.group_id);
  take_u16(store, "favorited", filter.favorited);
  // "selected" = 0 names the Favorites view only together with the mark "favorited" = 1 that the
  // Favorites button writes after it; alone it would list every channel that is not a favourite.
  if (filter.group_id == 0 && filter.favorited != 1) {
    filter.group_id = kGroupTV;
    filter.favorited = 0;
  }
  take_switch(store, "name_f", filter.name_flag);
  if (store.number("name_f") > 0) filter.name = store.text("name").value_or(QString());
  take_switch(store, "country_f", filter.country_flag);
  take_u16(store, "country", filter.country_id);
  take_switch(store, "genre_f", filter.genre_flag);
  take_u16(store, "genre", filter.genre_id);
  take_switch(store, "bitrate_f", filter.bitrate_flag);
  if (const int32_t bitrate = store.number("bitrate"); bitrate > 0) filter.bitrate = bitrate;
  take_switch(store, "flag_f", filter.status_flag);
  take_switch(store, "workfine", filter.workfine);
  take_switch(store, "notworking", filter.notworking);
  take_switch(store, "new", filter.new_);
  take_switch(store, "wrong", filter.wrong);
  take_switch(store, "duplicate", filter.duplicate);
  take_switch(store, "spam", filter.spam);
}

SettingsWriteLog::SettingsWriteLog() : outer_(write_log) { write_log = this; }
SettingsWriteLog::~SettingsWriteLog() { write_log = outer_; }

SettingsWriteBatch::SettingsWriteBatch() { ++batch_depth; }

SettingsWriteBatch::~SettingsWriteBatch() {
  if (--batch_depth > 0 || pending_failure.isEmpty()) return;
  const QString text = pending_failure;
  pending_failure.clear();
  show_error(nullptr, text);
}
