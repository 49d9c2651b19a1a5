#include "widgets/messages.h"

#include <QApplication>
#include <QMessageBox>

namespace {
QString default_title(const QString& title) {
  return title.isEmpty() ? QApplication::applicationDisplayName() : title;
}

class MessageBoxSink : public MessageSink {
 public:
  void show(QWidget* parent, MessageKind kind, const QString& title, const QString& text) override {
    switch (kind) {
      case MessageKind::Error: QMessageBox::critical(parent, default_title(title), text); break;
      case MessageKind::Warning: QMessageBox::warning(parent, default_title(title), text); break;
      default: QMessageBox::information(parent, default_title(title), text); break;
    }
  }
  bool ask(QWidget* parent, const QString& title, const QString& text) override {
    return QMessageBox::question(parent, default_title(title), text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
  }
};

MessageBoxSink message_boxes;
MessageSink* current = &message_boxes;
}  // namespace

MessageSink& messages() { return *current; }
void set_message_sink(MessageSink* sink) { current = sink ? sink : &message_boxes; }

void show_error(QWidget* parent, const QString& text, const QString& title) {
  messages().show(parent, MessageKind::Error, title, text);
}
void show_information(QWidget* parent, const QString& text, const QString& title) {
  messages().show(parent, MessageKind::Information, title, text);
}
void show_warning(QWidget* parent, const QString& text, const QString& title) {
  messages().show(parent, MessageKind::Warning, title, text);
}
bool ask_yes_no(QWidget* parent, const QString& text, const QString& title) {
  return messages().ask(parent, title, text);
}

RecordingMessageSink::RecordingMessageSink() { set_message_sink(this); }
RecordingMessageSink::~RecordingMessageSink() { set_message_sink(nullptr); }

void RecordingMessageSink::show(QWidget*, MessageKind kind, const QString& title, const QString& text) {
  shown.push_back({kind, title, text});
}

bool RecordingMessageSink::ask(QWidget*, const QString& title, const QString& text) {
  shown.push_back({MessageKind::Question, title, text});
  if (answers.empty()) return false;
  const bool answer = answers.front();
  answers.erase(answers.begin());
  return answer;
}
