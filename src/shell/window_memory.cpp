#include "shell/window_memory.h"

#include "settings/settings_store.h"
#include "shell/guide_hookup.h"
#include "shell/main_window.h"

#include <QHeaderView>
#include <QSettings>
#include <QTableView>

namespace {
const QString kWindow = QStringLiteral("Window/Main");
const QString kColumns = QStringLiteral("Window/Columns");
const QString kGuide = QStringLiteral("Window/Guide");

// Kept as text: the settings file holds text only.
QByteArray stored(const QSettings& settings, const QString& key) {
  return QByteArray::fromBase64(settings.value(key).toString().toLatin1());
}
QString storable(const QByteArray& bytes) { return QString::fromLatin1(bytes.toBase64()); }
}  // namespace

void restore_window_memory(MainWindow& window, GuideHookup& guide) {
  const auto settings = open_settings_file();
  if (const QByteArray place = stored(*settings, kWindow); !place.isEmpty()) window.restoreGeometry(place);
  if (const QByteArray columns = stored(*settings, kColumns); !columns.isEmpty())
    window.channel_list()->horizontalHeader()->restoreState(columns);
  if (const QByteArray place = stored(*settings, kGuide); !place.isEmpty()) guide.restore_panel_place(place);
}

void save_window_memory(const MainWindow& window, const GuideHookup& guide) {
  const QByteArray place = window.saveGeometry();
  const QByteArray columns = window.channel_list()->horizontalHeader()->saveState();
  const QByteArray guide_place = guide.panel_place();
  change_settings_file(QStringLiteral("Window places"), [&](QSettings& settings) {
    settings.setValue(kWindow, storable(place));
    settings.setValue(kColumns, storable(columns));
    if (!guide_place.isEmpty()) settings.setValue(kGuide, storable(guide_place));
  });
}
