#pragma once
#include <QString>

#include <functional>
#include <vector>

class QWidget;

// Every message box and Yes/No question of the program goes through here, so tests can answer them.
enum class MessageKind { Error, Information, Warning, Question };

struct ShownMessage {
  MessageKind kind;
  QString title;
  QString text;
};

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void show(QWidget* parent, MessageKind kind, const QString& title, const QString& text) = 0;
  // Answers true for Yes.
  virtual bool ask(QWidget* parent, const QString& title, const QString& text) = 0;
};

// The sink in use; by default real modal message boxes.
MessageSink& messages();
// Replaces the sink (nullptr puts the message boxes back); the caller keeps ownership.
void set_message_sink(MessageSink* sink);

void show_error(QWidget* parent, const QString& text, const QString& title = {});
void show_information(QWidget* parent, const QString& text, const QString& title = {});
void show_warning(QWidget* parent, const QString& text, const QString& title = {});
bool ask_yes_no(QWidget* parent, const QString& text, const QString& title = {});

// A sink for tests: records what was shown and answers questions from a queue (No when empty).
class RecordingMessageSink : public MessageSink {
 public:
  RecordingMessageSink();
  ~RecordingMessageSink() override;
  void show(QWidget* parent, MessageKind kind, const QString& title, const QString& text) override;
  bool ask(QWidget* parent, const QString& title, const QString& text) override;

  std::vector<ShownMessage> shown;
  std::vector<bool> answers;  // taken from the front
};
