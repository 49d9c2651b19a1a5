#include "dialogs/find_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

FindDialog::FindDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FindDialog"));
  setWindowTitle(QStringLiteral("Find"));
  setModal(false);

  auto* label = new QLabel(QStringLiteral("Fi&nd what:"), this);
  find_edit_ = new QLineEdit(this);
  find_edit_->setObjectName(QStringLiteral("FindEdit"));
  label->setBuddy(find_edit_);

  match_case_ = new QCheckBox(QStringLiteral("Match &case"), this);
  match_case_->setObjectName(QStringLiteral("MatchCaseCheckBox"));

  auto* direction = new QGroupBox(QStringLiteral("Direction"), this);
  up_ = new QRadioButton(QStringLiteral("&Up"), direction);
  up_->setObjectName(QStringLiteral("UpRadioButton"));
  down_ = new QRadioButton(QStringLiteral("&Down"), direction);
  down_->setObjectName(QStringLiteral("DownRadioButton"));
  down_->setChecked(true);
  auto* direction_row = new QHBoxLayout(direction);
  direction_row->addWidget(up_);
  direction_row->addWidget(down_);

  find_next_ = new QPushButton(QStringLiteral("&Find Next"), this);
  find_next_->setObjectName(QStringLiteral("FindNextButton"));
  find_next_->setDefault(true);
  find_next_->setEnabled(false);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);

  auto* grid = new QGridLayout(this);
  grid->addWidget(label, 0, 0);
  grid->addWidget(find_edit_, 0, 1, 1, 2);
  grid->addWidget(find_next_, 0, 3);
  grid->addWidget(match_case_, 1, 0, 1, 2, Qt::AlignBottom);
  grid->addWidget(direction, 1, 2);
  grid->addWidget(cancel, 1, 3, Qt::AlignTop);

  connect(find_edit_, &QLineEdit::textChanged, this, [this](const QString& text) { find_next_->setEnabled(!text.isEmpty()); });
  connect(find_next_, &QPushButton::clicked, this, &FindDialog::find_next);
  connect(cancel, &QPushButton::clicked, this, &QDialog::hide);
}

SearchRequest FindDialog::request() const {
  return SearchRequest{find_edit_->text(), down_->isChecked(), match_case_->isChecked()};
}

void FindDialog::open_dialog() {
  show();
  raise();
  activateWindow();
  find_edit_->setFocus();
  find_edit_->selectAll();
}
