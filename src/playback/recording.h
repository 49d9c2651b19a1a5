#pragma once
#include <QDateTime>
#include <QString>

// Where and under what name a recording of a stream goes. The stream is written as it comes, so
// the file's type follows the stream's own format.

// The user's folder for recordings: Music for radio, Videos for TV and video (XDG user dirs).
QString recording_folder(bool video);

// "<channel name> <yyyy-MM-dd HH.mm.ss>.<extension>": the name made safe on any file system (no
// path separators, reserved or control characters, not hidden), within 255 bytes of UTF-8 even when
// numbered_file_name adds a number up to 99.
QString recording_file_name(const QString& channel_name, const QDateTime& at, const QString& extension);

// The name a recording gets when a file of the first name is there already (two recordings started
// within one second): "<name> (<number>).<extension>", numbers from 2.
QString numbered_file_name(const QString& file_name, int number);

// The extension whose format takes the stream's packets unchanged: the audio format's own for
// radio, Matroska for anything with a picture or an audio codec without a plain container.
QString recording_extension(bool video, const QString& audio_codec);

// The recording's length for the status line: "0:07", "12:30", "1:02:03".
QString recording_time_text(qint64 seconds);

// Below this much free space the recording stops before the disk fills (a write that fails is only
// noticed by mpv when the file is closed).
inline constexpr qint64 kRecordingFreeSpaceFloor = 16 * 1024 * 1024;
