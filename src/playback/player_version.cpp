#include "playback/player_version.h"

#include "widgets/messages.h"

#include <QDesktopServices>
#include <QUrl>

#include <mpv/client.h>

uint32_t player_version() { return static_cast<uint32_t>(mpv_client_api_version()); }

bool player_version_supported(uint32_t version) { return version >= kMinimumPlayerVersion; }

QString missing_player_question() {
  return QStringLiteral(
      "libmpv 2.0+ (mpv 0.35 or later) required. Would you like to download and install it now?");
}

QString player_download_page() { return QStringLiteral("https://mpv.io/installation/"); }

bool offer_player_download(QWidget* parent) {
  if (!ask_yes_no(parent, missing_player_question())) return false;
  QDesktopServices::openUrl(QUrl(player_download_page()));
  return true;
}

QString player_start_failure_message(const QString& mpv_error) {
  return QStringLiteral("The media player could not be started. libmpv says: %1.").arg(mpv_error);
}
