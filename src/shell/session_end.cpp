#include "shell/session_end.h"

#include "catalogue/user_files.h"
#include "shell/termination_signals.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QWidget>

#include <csignal>

SessionEnd::SessionEnd(AppState& state, QWidget* main_window) : state_(state), window_(main_window) {}

SessionEnd::FileTexts SessionEnd::file_texts() const {
  return {favorites_file_text(state_.catalogue), userdef_file_text(state_.catalogue)};
}

bool SessionEnd::close_query() {
  // A signal or commit request that arrives while the query asks the user waits for its answer.
  if (in_close_query_) return false;
  FileTexts texts = file_texts();
  if (last_written_ == texts) return true;
  in_close_query_ = true;
  const bool may_close = save_user_files(state_.catalogue, window_);
  in_close_query_ = false;
  if (may_close) last_written_ = std::move(texts);
  return may_close;
}

void SessionEnd::terminate() {
  if (ended_ || in_close_query_) return;
  if (!window_->close()) return;
  ended_ = true;
  QCoreApplication::exit(0);
}

bool SessionEnd::commit_data(bool may_ask) {
  if (ended_ || in_close_query_) return true;
  if (may_ask) return close_query();
  // Nobody may be asked: what cannot be written stays as it was, and a later close tries again.
  FileTexts texts = file_texts();
  if (last_written_ != texts && write_user_files(state_.catalogue).isEmpty()) last_written_ = std::move(texts);
  return true;
}

void SessionEnd::listen() {
  auto* signals = new TerminationSignals({SIGTERM, SIGINT, SIGHUP}, this);
  connect(signals, &TerminationSignals::received, this, [this](int) { terminate(); });
  connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
    if (!commit_data(manager.allowsInteraction())) manager.cancel();
  });
}
