#pragma once
#include <QDialog>
#include <QStringList>

#include <functional>

class QLineEdit;
class QPushButton;

// "Add Playlist": a playlist from an address or from files. The address field holds the
// clipboard's address when it holds one; "Browse..." picks files. It adds nothing itself: what the
// user chose is in chosen() once the dialog was accepted.
class AddPlaylistDialog : public QDialog {
  Q_OBJECT
 public:
  // Asks the user for playlist files; none when the user cancelled.
  using FileChooser = std::function<QStringList(QWidget* parent)>;

  AddPlaylistDialog(const QString& clipboard_text, QWidget* parent = nullptr, FileChooser choose_files = {});

  QStringList chosen() const { return chosen_; }
  QLineEdit* field() const { return field_; }
  QPushButton* browse_button() const { return browse_; }
  QPushButton* add_button() const { return add_; }

 private:
  void take_field();

  QLineEdit* field_;
  QPushButton* browse_;
  QPushButton* add_;
  FileChooser choose_files_;
  QStringList chosen_;
};
