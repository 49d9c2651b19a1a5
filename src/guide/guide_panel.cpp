#include "guide/guide_panel.h"

#include "guide/guide_display.h"
#include "guide/guide_library.h"
#include "widgets/messages.h"
#include "widgets/plain_labels.h"

#include <QCheckBox>
#include <QDateTime>
#include <QSignalBlocker>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

GuidePanel::GuidePanel(GuideLibrary& library, QWidget* parent) : QWidget(parent, Qt::Window), library_(library) {
  setObjectName(QStringLiteral("GuidePanel"));
  setWindowTitle(QStringLiteral("Programme guide"));
  build();
  connect(&library_, &GuideLibrary::guides_changed, this, &GuidePanel::refresh_view);
  connect(&library_, &GuideLibrary::matches_changed, this, &GuidePanel::refresh_view);
  connect(&library_, &GuideLibrary::sources_changed, this, &GuidePanel::show_sources);
  connect(&library_, &GuideLibrary::progress, this, &GuidePanel::show_progress);
  connect(&library_, &GuideLibrary::refreshed, this, [this](const QStringList& problems) {
    cancel_->setEnabled(false);
    status_->setText(problems.isEmpty() ? QStringLiteral("Guides up to date.") : problems.join(QLatin1Char('\n')));
  });
  // The progress through the running programme and the change to the next one.
  auto* minute = new QTimer(this);
  connect(minute, &QTimer::timeout, this, &GuidePanel::refresh_view);
  minute->start(30 * 1000);
  show_sources();
  refresh_view();
  resize(560, 640);
}

void GuidePanel::build() {
  auto* layout = new QVBoxLayout(this);
  channel_ = new QLabel(this);
  channel_->setObjectName(QStringLiteral("GuideChannel"));
  QFont bold = channel_->font();
  bold.setBold(true);
  channel_->setFont(bold);
  now_ = new QLabel(this);
  now_->setObjectName(QStringLiteral("GuideNow"));
  progress_ = new QProgressBar(this);
  progress_->setRange(0, 100);
  progress_->setTextVisible(false);
  progress_->setMaximumHeight(8);
  next_ = new QLabel(this);
  next_->setObjectName(QStringLiteral("GuideNext"));
  logo_ = new QLabel(this);
  logo_->setObjectName(QStringLiteral("GuideChannelLogo"));
  logo_->hide();
  auto* heading = new QHBoxLayout;
  heading->addWidget(logo_);
  heading->addWidget(channel_, 1);
  layout->addLayout(heading);
  for (QWidget* w : {static_cast<QWidget*>(now_), static_cast<QWidget*>(progress_), static_cast<QWidget*>(next_)})
    layout->addWidget(w);
  // A guide's texts are shown as they stand, never taken for markup.
  for (QLabel* label : {channel_, now_, next_}) label->setTextFormat(Qt::PlainText);

  day_ = new QTreeWidget(this);
  day_->setObjectName(QStringLiteral("GuideDay"));
  day_->setHeaderLabels({QStringLiteral("Time"), QStringLiteral("Title"), QStringLiteral("Episode")});
  day_->setRootIsDecorated(false);
  day_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  day_->header()->setSectionResizeMode(1, QHeaderView::Stretch);
  layout->addWidget(day_, 3);
  // Only as tall as the selected programme's description, and gone without one: the list takes
  // the room rather than leaving a blank band above the match.
  description_ = new QLabel(this);
  description_->setObjectName(QStringLiteral("GuideDescription"));
  description_->setWordWrap(true);
  description_->setTextFormat(Qt::PlainText);
  description_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  description_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
  description_->hide();
  layout->addWidget(description_);
  connect(day_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    const QString text = item ? item->data(0, Qt::UserRole).toString() : QString();
    description_->setText(text);
    description_->setVisible(!text.isEmpty());
  });

  auto* match_row = new QHBoxLayout;
  match_ = new QLabel(this);
  match_->setTextFormat(Qt::PlainText);
  set_match_ = new QPushButton(QStringLiteral("Set Match..."), this);
  clear_match_ = new QPushButton(QStringLiteral("Clear Match"), this);
  match_row->addWidget(match_, 1);
  match_row->addWidget(set_match_);
  match_row->addWidget(clear_match_);
  layout->addLayout(match_row);
  connect(set_match_, &QPushButton::clicked, this, &GuidePanel::set_match);
  connect(clear_match_, &QPushButton::clicked, this, [this] {
    if (has_channel_) library_.clear_manual_match(match_key_);
  });

  layout->addWidget(new QLabel(QStringLiteral("Guide sources:"), this));
  sources_ = new QListWidget(this);
  sources_->setObjectName(QStringLiteral("GuideSources"));
  sources_->setMaximumHeight(90);
  layout->addWidget(sources_);
  auto* buttons = new QHBoxLayout;
  auto* add_address = new QPushButton(QStringLiteral("Add Address..."), this);
  auto* add_file = new QPushButton(QStringLiteral("Add File..."), this);
  auto* remove = new QPushButton(QStringLiteral("Remove"), this);
  auto* refresh = new QPushButton(QStringLiteral("Refresh"), this);
  cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
  cancel_->setEnabled(false);
  for (QPushButton* b : {add_address, add_file, remove, refresh, cancel_}) buttons->addWidget(b);
  layout->addLayout(buttons);
  status_ = new QLabel(this);
  status_->setWordWrap(true);
  layout->addWidget(status_);
  now_column_ = new QCheckBox(QStringLiteral("Show a \"Now\" column in the channel list"), this);
  layout->addWidget(now_column_);
  connect(now_column_, &QCheckBox::toggled, this, &GuidePanel::now_column_toggled);
  connect(add_address, &QPushButton::clicked, this, &GuidePanel::add_address);
  connect(add_file, &QPushButton::clicked, this, &GuidePanel::add_file);
  connect(remove, &QPushButton::clicked, this, [this] {
    if (QListWidgetItem* item = sources_->currentItem()) library_.remove_source(item->data(Qt::UserRole).toString());
  });
  connect(refresh, &QPushButton::clicked, this, [this] {
    cancel_->setEnabled(true);
    library_.refresh(true);
  });
  connect(cancel_, &QPushButton::clicked, this, [this] { library_.cancel(); });
}

void GuidePanel::show_channel(const std::string& match_key, const QString& name, const std::string& tvg_id, int64_t shift) {
  has_channel_ = true;
  match_key_ = match_key;
  channel_name_ = name;
  tvg_id_ = tvg_id;
  shift_ = shift;
  refresh_view();
}

void GuidePanel::show_no_channel() {
  has_channel_ = false;
  channel_name_.clear();
  tvg_id_.clear();
  shift_ = 0;
  refresh_view();
}

void GuidePanel::show_logo(const QImage& logo) {
  if (logo.isNull()) {
    logo_->clear();
    logo_->hide();
    return;
  }
  // Twice the height of the name's line at most, drawn at the screen's own resolution.
  const QSize shown = logo.size().scaled(QSize(6, 2) * channel_->fontMetrics().height(), Qt::KeepAspectRatio)
                          .boundedTo(logo.size());
  const qreal ratio = devicePixelRatioF();
  QPixmap pixmap = QPixmap::fromImage(logo.scaled(shown * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation));
  pixmap.setDevicePixelRatio(ratio);
  logo_->setPixmap(pixmap);
  logo_->show();
}

void GuidePanel::refresh_view() {
  const auto guides = library_.guides();
  const QByteArray name = channel_name_.toUtf8();
  const std::optional<GuideChannelRef> match =
      has_channel_ ? library_.match(match_key_, name.toStdString(), tvg_id_) : std::nullopt;
  const QTimeZone zone = QTimeZone::systemTimeZone();
  const int64_t now = QDateTime::currentSecsSinceEpoch();
  const NowNextTexts texts = now_next_texts(*guides, match, now, zone, shift_);
  channel_->setText(has_channel_ ? channel_name_ : QStringLiteral("No channel"));
  const bool by_hand = has_channel_ && !match_key_.empty();
  set_match_->setEnabled(by_hand);
  clear_match_->setEnabled(by_hand);
  set_match_->setToolTip(has_channel_ && !by_hand ? QStringLiteral("This channel's address cannot keep a match.") : QString());
  now_->setText(texts.now.isEmpty() ? QStringLiteral("Now: no guide") : QStringLiteral("Now: ") + texts.now);
  progress_->setValue(std::max(texts.progress, 0));
  progress_->setVisible(texts.progress >= 0);
  next_->setText(texts.next.isEmpty() ? QString() : QStringLiteral("Next: ") + texts.next);

  const auto manual = by_hand ? library_.manual_matches().find(match_key_) : library_.manual_matches().end();
  if (!match) {
    match_->setText(QStringLiteral("Guide channel: none"));
  } else {
    const std::string_view id = guides->guide_of(*match).text(guides->channel(*match)->id);
    match_->setText(QStringLiteral("Guide channel: %1%2")
                        .arg(QString::fromUtf8(id.data(), static_cast<qsizetype>(id.size())),
                             manual != library_.manual_matches().end() ? QStringLiteral(" (chosen)") : QString()));
  }

  day_->clear();
  if (!match) return;
  QTreeWidgetItem* running = nullptr;
  for (const GuideDayRow& row : guide_day_rows(*guides, *match, QDate::currentDate(), now, zone, shift_)) {
    auto* item = new QTreeWidgetItem(day_);
    if (!row.day.isEmpty()) {
      item->setText(0, row.day);
      item->setFirstColumnSpanned(true);
      QFont font = item->font(0);
      font.setBold(true);
      item->setFont(0, font);
      item->setFlags(Qt::ItemIsEnabled);
      continue;
    }
    item->setText(0, row.time);
    item->setText(1, row.title);
    item->setText(2, row.sub_title);
    item->setData(0, Qt::UserRole, row.description);
    if (row.running) {
      running = item;
      for (int c = 0; c < 3; ++c) {
        QFont font = item->font(c);
        font.setBold(true);
        item->setFont(c, font);
      }
    }
  }
  if (running) {
    day_->setCurrentItem(running);
    day_->scrollToItem(running, QAbstractItemView::PositionAtTop);
  }
}

void GuidePanel::show_sources() {
  sources_->clear();
  for (const GuideSource& source : library_.sources()) {
    QString text = source.location;
    if (source.from_playlist) {
      const QString name = source.playlist != 0 && playlist_name_of ? playlist_name_of(source.playlist) : QString();
      text += name.isEmpty() ? QStringLiteral("  (from a playlist)") : QStringLiteral("  (from the playlist %1)").arg(name);
    }
    auto* item = new QListWidgetItem(text, sources_);
    item->setData(Qt::UserRole, source.location);
  }
}

void GuidePanel::add_address() {
  bool ok = false;
  const QString address = QInputDialog::getText(this, QStringLiteral("Add Guide"), QStringLiteral("Guide address (XMLTV):"),
                                                QLineEdit::Normal, QStringLiteral("https://"), &ok);
  if (!ok) return;
  if (!is_web_guide(address.trimmed())) {
    show_error(this, QStringLiteral("A guide's address begins with http:// or https://."));
    return;
  }
  add_source(address);
}

void GuidePanel::add_file() {
  const QString file = QFileDialog::getOpenFileName(this, QStringLiteral("Add Guide"), QString(),
                                                    QStringLiteral("XMLTV guides (*.xml *.xml.gz *.gz);;All files (*)"));
  if (!file.isEmpty()) add_source(file);
}

void GuidePanel::add_source(const QString& location) {
  if (const QString problem = library_.add_source(location); !problem.isEmpty()) {
    show_error(this, problem);
    return;
  }
  if (is_web_guide(location.trimmed())) cancel_->setEnabled(true);
}

void GuidePanel::set_match() {
  if (!has_channel_ || match_key_.empty()) return;
  const auto guides = library_.guides();
  QStringList choices{QStringLiteral("(no guide)")};
  QStringList ids{QString()};
  for (const Guide& guide : guides->guides)
    for (const GuideChannel& channel : guide.channels) {
      const std::string_view id = guide.text(channel.id);
      const QString qid = QString::fromUtf8(id.data(), static_cast<qsizetype>(id.size()));
      const auto names = guide.names_of(channel);
      const std::string_view first = names.empty() ? std::string_view() : guide.text(names.front().name);
      choices << (first.empty() ? qid : QString::fromUtf8(first.data(), static_cast<qsizetype>(first.size())) + QStringLiteral("  [") + qid + QLatin1Char(']'));
      ids << qid;
    }
  QInputDialog dialog(this);
  dialog.setWindowTitle(QStringLiteral("Set Match"));
  dialog.setLabelText(QStringLiteral("Guide channel for %1:").arg(channel_name_));
  dialog.setComboBoxItems(choices);
  dialog.setComboBoxEditable(false);
  show_labels_as_typed(&dialog);  // the channel's name is whatever its catalogue or playlist says
  if (dialog.exec() != QDialog::Accepted) return;
  const QString chosen = dialog.textValue();
  const qsizetype at = choices.indexOf(chosen);
  if (at >= 0) library_.set_manual_match(match_key_, ids[at].toStdString());
}

void GuidePanel::show_progress(const QString& step, qint64 done, qint64 total) {
  cancel_->setEnabled(true);
  status_->setText(total > 0 ? QStringLiteral("%1: %2%").arg(step).arg(done * 100 / total)
                             : QStringLiteral("%1: %2 KB").arg(step).arg(done / 1024));
}

void GuidePanel::set_now_column(bool shown) {
  const QSignalBlocker quiet(now_column_);
  now_column_->setChecked(shown);
}
