#include "dialogs/playlists_dialog.h"

#include "catalogue/records.h"
#include "widgets/messages.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const int32_t kGroups[] = {0, kGroupTV, kGroupRadio, kGroupVideo};

QString origin_of(const PlaylistSource& s) { return s.address.isEmpty() ? s.original_path : s.address; }

QString line_of(const PlaylistSource& s) {
  const QString read = s.read_at.isValid() ? s.read_at.toLocalTime().toString(QStringLiteral("yyyy-MM-dd hh:mm"))
                                           : QStringLiteral("not read yet");
  return QStringLiteral("%1\n    %2 (read: %3)").arg(s.name, origin_of(s), read);
}
}  // namespace

PlaylistsDialog::PlaylistsDialog(const std::vector<PlaylistSource>& sources, QWidget* parent)
    : QDialog(parent),
      list_(new QListWidget(this)),
      group_(new QComboBox(this)),
      rename_(new QPushButton(QStringLiteral("Rename..."), this)),
      refresh_(new QPushButton(QStringLiteral("Refresh"), this)),
      remove_(new QPushButton(QStringLiteral("Remove"), this)) {
  setObjectName(QStringLiteral("PlaylistsDialog"));
  setWindowTitle(QStringLiteral("Playlists"));
  list_->setObjectName(QStringLiteral("PlaylistsList"));
  group_->setObjectName(QStringLiteral("PlaylistGroup"));
  group_->addItems({QStringLiteral("As the playlist says"), QStringLiteral("TV"), QStringLiteral("Radio"),
                    QStringLiteral("Video")});
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(new QLabel(QStringLiteral("Show in:"), this));
  buttons->addWidget(group_);
  buttons->addStretch();
  buttons->addWidget(rename_);
  buttons->addWidget(refresh_);
  buttons->addWidget(remove_);
  auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addLayout(buttons);
  layout->addWidget(close);
  resize(560, 320);

  connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(list_, &QListWidget::currentRowChanged, this, &PlaylistsDialog::selection_changed);
  connect(rename_, &QPushButton::clicked, this, [this] {
    const int id = selected_id();
    if (id < 0) return;
    const QString old = list_->currentItem()->data(Qt::UserRole + 1).toString();
    bool ok = false;
    const QString name =
        QInputDialog::getText(this, QStringLiteral("Rename Playlist"), QStringLiteral("Name:"), QLineEdit::Normal, old, &ok)
            .trimmed();
    if (ok && !name.isEmpty()) Q_EMIT rename_requested(static_cast<uint16_t>(id), name);
  });
  connect(refresh_, &QPushButton::clicked, this, [this] {
    if (const int id = selected_id(); id >= 0) Q_EMIT refresh_requested(static_cast<uint16_t>(id));
  });
  connect(remove_, &QPushButton::clicked, this, [this] {
    const int id = selected_id();
    if (id < 0) return;
    const QString name = list_->currentItem()->data(Qt::UserRole + 1).toString();
    if (ask_yes_no(this, QStringLiteral("Would you like to remove the playlist %1 and its channels?").arg(name)))
      Q_EMIT remove_requested(static_cast<uint16_t>(id));
  });
  connect(group_, &QComboBox::activated, this, [this](int index) {
    if (const int id = selected_id(); id >= 0 && index >= 0 && index < 4)
      Q_EMIT group_requested(static_cast<uint16_t>(id), kGroups[index]);
  });
  show_sources(sources);
}

void PlaylistsDialog::show_sources(const std::vector<PlaylistSource>& sources) {
  const int keep = selected_id();
  sources_ = sources;
  list_->clear();
  for (const PlaylistSource& s : sources_) {
    auto* item = new QListWidgetItem(line_of(s), list_);
    item->setData(Qt::UserRole, s.id);
    item->setData(Qt::UserRole + 1, s.name);
    if (s.id == keep) list_->setCurrentItem(item);
  }
  if (!list_->currentItem() && list_->count() > 0) list_->setCurrentRow(0);
  selection_changed();
}

int PlaylistsDialog::selected_id() const {
  const QListWidgetItem* item = list_->currentItem();
  return item ? item->data(Qt::UserRole).toInt() : -1;
}

void PlaylistsDialog::selection_changed() {
  const int id = selected_id();
  for (QWidget* w : std::initializer_list<QWidget*>{group_, rename_, refresh_, remove_}) w->setEnabled(id >= 0);
  if (id < 0) return;
  for (const PlaylistSource& s : sources_) {
    if (s.id != id) continue;
    for (int i = 0; i < 4; ++i)
      if (kGroups[i] == s.group) group_->setCurrentIndex(i);
  }
}
