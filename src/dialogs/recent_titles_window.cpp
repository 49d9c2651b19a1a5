#include "dialogs/recent_titles_window.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

RecentTitlesWindow::RecentTitlesWindow(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("RecentTitlesWindow"));
  setWindowTitle(QStringLiteral("Recent Titles"));
  list_ = new QPlainTextEdit(this);
  list_->setObjectName(QStringLiteral("RecentTitlesList"));
  list_->setReadOnly(true);
  list_->setLineWrapMode(QPlainTextEdit::NoWrap);
  list_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addWidget(buttons);
  resize(460, 320);
}

void RecentTitlesWindow::show_titles(const QString& channel_name, const QStringList& lines) {
  setWindowTitle(channel_name.isEmpty() ? QStringLiteral("Recent Titles")
                                        : QStringLiteral("Recent Titles - ") + channel_name);
  // Plain text: a title is never read as markup.
  list_->setPlainText(lines.isEmpty() ? QString() : lines.join(QLatin1Char('\n')));
}
