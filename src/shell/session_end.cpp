#include "shell/session_end.h"

#include "catalogue/user_files.h"
#include "shell/termination_signals.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QWidget>

#include <csignal>

SessionEnd::SessionEnd(AppState& state, QWidget* main_window) : state_(state), window_(main_window) {}

namespace {
// What the two files hold, to tell whether a write would only repeat the last one.
std::pair<std::string, std::string> contents(UserFileTexts&& texts) {
  return {std::move(texts.favorites), std::move(texts.userdef)};
}
}  // namespace

bool SessionEnd::close_query() {
  // A signal or commit request that arrives while the query asks the user waits for its answer.
  if (in_close_query_) return false;
  UserFileTexts texts = user_file_texts(state_.catalogue);
  if (last_written_ && last_written_->first == texts.favorites && last_written_->second == texts.userdef) return true;
  in_close_query_ = true;
  // The texts just taken are the ones written: a million channels take a moment to write out.
  const bool may_close = save_user_file_texts(texts, window_);
  in_close_query_ = false;
  if (may_close) last_written_ = contents(std::move(texts));
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
  UserFileTexts texts = user_file_texts(state_.catalogue);
  if (last_written_ && last_written_->first == texts.favorites && last_written_->second == texts.userdef) return true;
  if (write_user_file_texts(texts).isEmpty()) last_written_ = contents(std::move(texts));
  return true;
}

void SessionEnd::listen() {
  auto* signals = new TerminationSignals({SIGTERM, SIGINT, SIGHUP}, this);
  connect(signals, &TerminationSignals::received, this, [this](int) { terminate(); });
  connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
    if (!commit_data(manager.allowsInteraction())) manager.cancel();
  });
}
