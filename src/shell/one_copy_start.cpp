#include "shell/one_copy_start.h"

#include "shell/app_state.h"
#include "shell/desktop_identity.h"
#include "shell/first_show_marker.h"
#include "shell/main_window.h"
#include "shell/playlist_flows.h"
#include "shell/raise_window.h"
#include "widgets/messages.h"

#include <QApplication>
#include <QDir>

#include <utility>

namespace {
// A running copy that has not answered by then (a hung one) is given up on: this start goes on as
// a copy of its own, without the user files.
constexpr int kHandoverTimeoutMs = 10000;
// While a box of the program's is open, what later starts handed over waits this long between looks.
constexpr int kWaitForBoxesMs = 250;

// What lets the running copy take the focus that the desktop gave this start.
QString activation_token() {
  for (const char* name : {"XDG_ACTIVATION_TOKEN", "DESKTOP_STARTUP_ID"})
    if (const QString token = qEnvironmentVariable(name); !token.isEmpty()) return token;
  return {};
}
}  // namespace

OneCopyStart::OneCopyStart(const QString& app_data, const QStringList& arguments)
    : copy_(QString::fromLatin1(kDesktopId), app_data) {
  if (!copy_.claim()) {
    handed_over_ =
        copy_.hand_over({handover_uris(arguments, QDir::currentPath()), activation_token()}, kHandoverTimeoutMs);
    // The other copy may have ended in the meantime: this one takes its place.
    if (!handed_over_) copy_.claim();
  }
  if (!handed_over_) lock_.emplace(app_data);
  retry_.setInterval(kWaitForBoxesMs);
  connect(&retry_, &QTimer::timeout, this, &OneCopyStart::add_when_free);
}

void OneCopyStart::apply(AppState& state) const {
  state.catalogue.user_files_held_elsewhere = lock_ && !lock_->held();
}

void OneCopyStart::serve(MainWindow& window, PlaylistFlows& playlists) {
  window_ = &window;
  playlists_ = &playlists;
  connect(&copy_, &OneCopy::requested, this, [this](const QStringList& items, const QString&) { take(items); });
  if (lock_ && !lock_->held())
    after_first_paint(&window, [this] { show_warning(window_, lock_->refusal_text()); });
}

void OneCopyStart::take(const QStringList& items) {
  if (window_->isVisible()) raise_window(*window_);
  waiting_ += items;
  add_when_free();
}

void OneCopyStart::add_when_free() {
  if (waiting_.isEmpty()) {
    retry_.stop();
    return;
  }
  // The start-up is not over, a box waits for its answer, or a playlist is being added: the box
  // keeps its place on top, and the playlists come after it.
  if (adding_ || !window_->isVisible() || QApplication::activeModalWidget()) {
    retry_.start();
    return;
  }
  retry_.stop();
  adding_ = true;
  playlists_->add_any(std::exchange(waiting_, {}));
  adding_ = false;
  if (!waiting_.isEmpty()) retry_.start();
}
