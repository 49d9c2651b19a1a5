#pragma once
#include <QString>

#include <cstdint>

class QWidget;

// The player in use is libmpv; its client API version stands for the player's version:
// major in the high 16 bits, minor in the low 16 bits.
inline constexpr uint32_t kMinimumPlayerVersion = 0x00020000;  // client API 2.0 (mpv 0.35)

// Version of the libmpv found at run time, 0 when none answers.
uint32_t player_version();
bool player_version_supported(uint32_t version);

// The start message when no suitable player is there, and the page it offers.
QString missing_player_question();
QString player_download_page();

// Shows the question; on Yes opens the download page. Answers whether Yes was chosen.
bool offer_player_download(QWidget* parent);

// The start message when a suitable libmpv is there but would not start: it names mpv's error
// (MediaPlayer::startError), since installing libmpv again would not help.
QString player_start_failure_message(const QString& mpv_error);
