#pragma once
#include "views/search.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The non-modal find dialog: the text to find, the direction and match case. One instance lives
// with the main window, so the text and the choices stay from one opening to the next.
class FindDialog : public QDialog {
  Q_OBJECT
 public:
  explicit FindDialog(QWidget* parent = nullptr);

  SearchRequest request() const;
  // Shows the dialog (or brings it forward) with the find text selected.
  void open_dialog();

  QLineEdit* find_edit() const { return find_edit_; }
  QRadioButton* up_button() const { return up_; }
  QRadioButton* down_button() const { return down_; }
  QCheckBox* match_case_box() const { return match_case_; }
  QPushButton* find_next_button() const { return find_next_; }

 Q_SIGNALS:
  void find_next();

 private:
  QLineEdit* find_edit_;
  QRadioButton* up_;
  QRadioButton* down_;
  QCheckBox* match_case_;
  QPushButton* find_next_;
};
