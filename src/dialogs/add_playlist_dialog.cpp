#include "dialogs/add_playlist_dialog.h"

#include "playlists/playlist_ways_in.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QStringList choose_playlist_files(QWidget* parent) {
  return QFileDialog::getOpenFileNames(parent, QStringLiteral("Add Playlist"), QString(),
                                       QStringLiteral("Playlists (*.m3u *.m3u8 *.pls)"));
}
}  // namespace

AddPlaylistDialog::AddPlaylistDialog(const QString& clipboard_text, QWidget* parent, FileChooser choose_files)
    : QDialog(parent),
      field_(new QLineEdit(this)),
      browse_(new QPushButton(QStringLiteral("Browse..."), this)),
      add_(nullptr),
      choose_files_(choose_files ? std::move(choose_files) : FileChooser(choose_playlist_files)) {
  setObjectName(QStringLiteral("AddPlaylistDialog"));
  setWindowTitle(QStringLiteral("Add Playlist"));
  field_->setObjectName(QStringLiteral("PlaylistAddressField"));
  field_->setPlaceholderText(QStringLiteral("http://... or a file"));
  field_->setText(address_in_text(clipboard_text));
  field_->selectAll();
  field_->setMinimumWidth(420);
  browse_->setObjectName(QStringLiteral("BrowsePlaylistButton"));

  auto* label = new QLabel(QStringLiteral("Address or file of the playlist:"), this);
  label->setBuddy(field_);
  auto* row = new QHBoxLayout;
  row->addWidget(field_, 1);
  row->addWidget(browse_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
  add_ = buttons->addButton(QStringLiteral("Add"), QDialogButtonBox::AcceptRole);
  add_->setObjectName(QStringLiteral("AddPlaylistButton"));
  add_->setDefault(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addLayout(row);
  layout->addWidget(buttons);

  const auto follow_field = [this] { add_->setEnabled(!field_->text().trimmed().isEmpty()); };
  follow_field();
  connect(field_, &QLineEdit::textChanged, this, follow_field);
  connect(buttons, &QDialogButtonBox::accepted, this, &AddPlaylistDialog::take_field);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(browse_, &QPushButton::clicked, this, [this] {
    const QStringList files = choose_files_(this);
    if (files.isEmpty()) return;
    chosen_ = files;
    accept();
  });
}

void AddPlaylistDialog::take_field() {
  const QString text = field_->text().trimmed();
  if (text.isEmpty()) return;
  // A file typed as the shell would take it: "~/" is the home folder.
  if (!is_playlist_address(text) && text.startsWith(QLatin1String("~/")))
    chosen_ = {QDir::homePath() + text.mid(1)};
  else
    chosen_ = {text};
  accept();
}
