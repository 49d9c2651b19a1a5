#include "widgets/messages.h"

#include "version.h"

#include <QApplication>
#include <QMessageBox>

#include <algorithm>

namespace {
// The program's name, set here rather than as the application's display name, which Qt would append
// to every window title.
QString default_title(const QString& title) {
  return title.isEmpty() ? QStringLiteral(QUOVI_PRODUCT_NAME) : title;
}

// A window that stays on top of the others (the splash over a catalogue load) would hide a box shown
// meanwhile: the box then stays on top as well, and being the newer such window it comes above it.
bool window_on_top_shown() {
  const QWidgetList windows = QApplication::topLevelWidgets();
  return std::any_of(windows.begin(), windows.end(), [](const QWidget* window) {
    return window->isVisible() && window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
  });
}

// Texts come from outside as well (catalogue homepages, stream servers' replies): shown as typed,
// never as markup, and nothing in them can be followed as a link.
int run_message_box(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
                    QMessageBox::StandardButtons buttons, QMessageBox::StandardButton default_button) {
  QMessageBox box(icon, default_title(title), text, buttons, parent);
  box.setTextFormat(Qt::PlainText);
  box.setTextInteractionFlags(Qt::TextSelectableByMouse);
  box.setDefaultButton(default_button);
  if (window_on_top_shown()) box.setWindowFlag(Qt::WindowStaysOnTopHint);
  return box.exec();
}

class MessageBoxSink : public MessageSink {
 public:
  void show(QWidget* parent, MessageKind kind, const QString& title, const QString& text) override {
    const QMessageBox::Icon icon = kind == MessageKind::Error     ? QMessageBox::Critical
                                   : kind == MessageKind::Warning ? QMessageBox::Warning
                                                                  : QMessageBox::Information;
    run_message_box(parent, icon, title, text, QMessageBox::Ok, QMessageBox::Ok);
  }
  bool ask(QWidget* parent, const QString& title, const QString& text) override {
    return run_message_box(parent, QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
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
