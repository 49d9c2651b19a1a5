#pragma once
#include <QObject>

#include <initializer_list>

class QSocketNotifier;

// Termination signals (a log-out, "systemctl stop", Ctrl+C, a closed terminal) reach the program
// through its event loop: the handler only writes the signal's number into a pipe, and a notifier
// on the pipe's other end raises received() on the GUI thread, where anything may be done. One
// instance at a time; it puts the signals' earlier handling back when it goes.
class TerminationSignals : public QObject {
  Q_OBJECT
 public:
  explicit TerminationSignals(std::initializer_list<int> signals, QObject* parent = nullptr);
  ~TerminationSignals() override;
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

  // False when the pipe could not be made; the signals then keep their default effect.
  bool active() const { return notifier_ != nullptr; }

 Q_SIGNALS:
  void received(int signal);

 private:
  void drain();

  QSocketNotifier* notifier_ = nullptr;
};
