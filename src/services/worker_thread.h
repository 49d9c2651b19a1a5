#pragma once
#include <QEventLoop>
#include <QFuture>
#include <QFutureWatcher>
#include <QPromise>
#include <QThreadPool>

#include <exception>
#include <memory>
#include <type_traits>
#include <utility>

// Work that would hold up the GUI thread (loading, sorting or freeing a large catalogue) handed to a
// thread of the application's pool. The pool's threads are waited for when the application object
// goes, so work still running at exit finishes first.

// Runs `work` on a worker thread; its answer (or what it threw) comes through the future. Take a
// large answer with takeResult(): one never taken is freed by whoever lets go of it last.
template <typename Work>
QFuture<std::invoke_result_t<Work&>> run_on_worker(Work work) {
  using Result = std::invoke_result_t<Work&>;
  // The pool takes a copyable function; the work itself (with the bytes or records it owns) is
  // moved once, never copied.
  auto promise = std::make_shared<QPromise<Result>>();
  auto held = std::make_shared<Work>(std::move(work));
  QFuture<Result> future = promise->future();
  promise->start();
  QThreadPool::globalInstance()->start([promise, held] {
    try {
      promise->addResult((*held)());
    } catch (...) {
      promise->setException(std::current_exception());
    }
    promise->finish();
  });
  return future;
}

// Frees `value` on a worker thread: the million records of a catalogue take about a second to free.
template <typename T>
void free_on_worker(T&& value) {
  auto held = std::make_shared<std::decay_t<T>>(std::forward<T>(value));
  QThreadPool::globalInstance()->start([held = std::move(held)]() mutable { held.reset(); });
}

// Keeps the GUI thread's event loop running until `future` has finished, so windows repaint and
// timers fire meanwhile; the caller holds off the user's input (a modal window). When the program
// is asked to end meanwhile, the rest is waited for without the loop.
template <typename T>
void wait_running_events(const QFuture<T>& future) {
  QFutureWatcher<T> watcher;
  QEventLoop loop;
  QObject::connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
  watcher.setFuture(future);
  while (!future.isFinished()) {
    if (loop.exec() != 0) {
      QFuture<T>(future).waitForFinished();
      break;
    }
  }
}
