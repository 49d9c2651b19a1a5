#pragma once
#include <QDialog>
#include <QStringList>

class QPlainTextEdit;

// The small non-modal list of the titles the playing channel sent, newest first. The text can be
// selected and copied; it follows the player while the window is open.
class RecentTitlesWindow : public QDialog {
  Q_OBJECT
 public:
  explicit RecentTitlesWindow(QWidget* parent = nullptr);

  void show_titles(const QString& channel_name, const QStringList& lines);
  QPlainTextEdit* list() const { return list_; }

 private:
  QPlainTextEdit* list_ = nullptr;
};
