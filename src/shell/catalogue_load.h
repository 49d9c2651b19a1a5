#pragma once
#include "shell/app_state.h"
#include "views/view_builder.h"

#include <QDateTime>

#include <optional>

class QWidget;

// The start-up catalogue load. Answers the view to show, or nothing when there is no channel
// database yet (the list stays empty and `outdated` is set so the download is offered).
//
// A database that fails to load does not end the program: the error and the file's path are shown,
// the file stays as it is, the catalogue keeps the user's channels only, and `outdated` is set so a
// fresh catalogue is offered.
std::optional<ViewUpdate> load_catalogue(AppState& state, QWidget* parent, const BeforeRebuild& before,
                                  const QDateTime& now = QDateTime::currentDateTime());

// Loads channels.dat behind the user channels already in the catalogue. On failure drops what the
// database added, keeping the user channels, and answers the error's text; empty on success.
QString load_database_keeping_user_channels(AppState& state);
