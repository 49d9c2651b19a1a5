#pragma once
// Reads a real modal message box while it is up, the way the user sees it, then answers it.
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <optional>

namespace quovi_test {

struct SeenMessageBox {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QString title;
  Qt::TextFormat text_format = Qt::AutoText;
  // The label that draws the text: what it holds, how it reads it, whether links in it answer.
  QString label_text;
  Qt::TextFormat label_format = Qt::AutoText;
  bool label_opens_links = false;
  bool links_accessible = false;
  bool stays_on_top = false;
};

// Runs `act`, which is expected to open a modal message box; the box is read once it is up and
// closed with `answer` (or with Esc when `answer` is NoButton). Answers what was seen, or nothing
// when no message box came up within the time (any other modal window is then closed).
inline std::optional<SeenMessageBox> probe_message_box(const std::function<void()>& act,
                                                        QMessageBox::StandardButton answer = QMessageBox::Ok,
                                                        int timeout_ms = 5000) {
  std::optional<SeenMessageBox> seen;
  QElapsedTimer clock;
  clock.start();
  QTimer poll;
  poll.setInterval(10);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (!box) {
      if (modal && clock.elapsed() > timeout_ms) modal->close();
      return;
    }
    if (!box->isVisible()) return;
    SeenMessageBox s;
    s.icon = box->icon();
    s.title = box->windowTitle();
    s.text_format = box->textFormat();
    s.stays_on_top = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    if (const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
      s.label_text = label->text();
      s.label_format = label->textFormat();
      s.label_opens_links = label->openExternalLinks();
      s.links_accessible = label->textInteractionFlags().testAnyFlags(Qt::LinksAccessibleByMouse |
                                                                       Qt::LinksAccessibleByKeyboard);
    }
    seen = s;
    if (QAbstractButton* button = answer == QMessageBox::NoButton ? nullptr : box->button(answer)) {
      button->click();
    } else {
      QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
      QApplication::sendEvent(box, &esc);
    }
  });
  poll.start();
  act();
  poll.stop();
  return seen;
}

}  // namespace quovi_test
