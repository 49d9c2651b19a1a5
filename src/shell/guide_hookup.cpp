#include "shell/guide_hookup.h"

#include "catalogue/catalogue_paths.h"
#include "catalogue/channel_sources.h"
#include "guide/guide_display.h"
#include "guide/guide_library.h"
#include "guide/guide_panel.h"
#include "settings/settings_store.h"
#include "shell/channel_row_text.h"
#include "shell/channel_table_model.h"
#include "shell/guide_user_channels.h"
#include "shell/main_window.h"
#include "widgets/messages.h"
#include "widgets/plain_tooltip.h"
#include "widgets/window_placement.h"

#include <QDateTime>
#include <QEvent>
#include <QItemSelectionModel>
#include <QLabel>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QTableView>
#include <QTimer>

GuideHookup::GuideHookup(MainWindow& window) : QObject(&window), window_(window) {
  const QString data = app_data_folder();
  library_ = new GuideLibrary(guide_sources_path(data), guide_cache_folder(), guide_matches_path(data), this);
  panel_ = new GuidePanel(*library_, &window);
  library_->user_channels = [&window] { return std::make_shared<const UserChannelNames>(user_channel_names(window.state())); };
  // The list is rebuilt after every change of the channel array (a playlist joined or left, a
  // catalogue loaded, a channel added); the guides keep only the programmes of the channels there.
  connect(window.model(), &QAbstractItemModel::modelReset, this, [this] {
    // The reset dropped the selection, whose handler does not hear of it.
    show_selected_channel();
    const std::vector<Channel>& channels = window_.state().catalogue.channels;
    const std::pair<const Channel*, size_t> now{channels.data(), channels.size()};
    if (now == channels_seen_) return;
    channels_seen_ = now;
    if (started_) library_->channels_changed();
  });
  auto* open = new QShortcut(QKeySequence(QStringLiteral("Ctrl+G")), &window);
  connect(open, &QShortcut::activated, this, [this] {
    show_selected_channel();
    // A playlist may have been renamed since.
    panel_->show_sources();
    // Placed once: opened again, it stays where the user last had it.
    if (!panel_placed_) place_panel();
    panel_placed_ = true;
    panel_->show();
    panel_->raise();
    panel_->activateWindow();
  });
  // After the window's own handler, which sets the label and forgets the last channel's guide lines.
  connect(window.channel_list()->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { show_selected_channel(); });
  connect(library_, &GuideLibrary::guides_changed, this, &GuideHookup::show_selected_channel);
  connect(library_, &GuideLibrary::guides_changed, window.channel_list()->viewport(), qOverload<>(&QWidget::update));
  connect(library_, &GuideLibrary::matches_changed, this, &GuideHookup::show_selected_channel);
  QWidget* player_area = window.channel_label()->parentWidget();
  now_line_ = new QLabel(player_area);
  now_line_->setObjectName(QStringLiteral("GuideNowLine"));
  now_line_->setFont(window.channel_label()->font());
  now_line_->setPalette(window.channel_label()->palette());
  now_line_->setAttribute(Qt::WA_TranslucentBackground);
  now_line_->setAlignment(Qt::AlignCenter);
  now_line_->setTextFormat(Qt::PlainText);
  player_area->installEventFilter(this);
  window.channel_label()->installEventFilter(this);
  window.channel_logo()->installEventFilter(this);
  window.status_label()->installEventFilter(this);
  const bool now_column = open_settings_file()->value(QStringLiteral("Guide/NowColumn"), 0).toInt() != 0;
  panel_->set_now_column(now_column);
  show_now_column(now_column);
  connect(panel_, &GuidePanel::now_column_toggled, this, [this](bool shown) {
    change_settings_file(QStringLiteral("Now column"),
                         [shown](QSettings& settings) { settings.setValue(QStringLiteral("Guide/NowColumn"), shown ? 1 : 0); });
    show_now_column(shown);
  });
  auto* clock = new QTimer(this);
  connect(clock, &QTimer::timeout, this, &GuideHookup::show_selected_channel);
  connect(clock, &QTimer::timeout, window.channel_list()->viewport(), qOverload<>(&QWidget::update));
  clock->start(30 * 1000);
}

GuideHookup::~GuideHookup() = default;

void GuideHookup::start() {
  const std::vector<Channel>& channels = window_.state().catalogue.channels;
  channels_seen_ = {channels.data(), channels.size()};
  started_ = true;
  if (!library_->sources_problem().isEmpty()) show_error(&window_, library_->sources_problem());
  library_->refresh(false);
}

void GuideHookup::show_problem(const QString& text) { show_warning(&window_, text); }

void GuideHookup::show_selected_channel() {
  const int position = window_.selected_channel_position();
  if (position < 0) {
    panel_->show_no_channel();
    now_line_->clear();
    return;
  }
  const Channel& channel = window_.state().catalogue.channels[position];
  const QString name = channel.name.text();
  const std::string tvg_id = tvg_id_of ? tvg_id_of(channel) : std::string();
  const std::string match_key = guide_match_key(channel);
  const int64_t shift = guide_shift_of ? guide_shift_of(channel) : 0;
  panel_->show_channel(match_key, name, tvg_id, shift);
  const auto guides = library_->guides();
  const NowNextTexts texts = now_next_texts(*guides, library_->match(match_key, name.toStdString(), tvg_id),
                                            QDateTime::currentSecsSinceEpoch(), QTimeZone::systemTimeZone(), shift);
  // Below the name and what the stream plays, which the window puts first.
  window_.show_guide_lines(texts.tooltip(QString()));
  now_line_->setText(texts.now.isEmpty() ? QString()
                                         : texts.now + (texts.progress >= 0 ? QStringLiteral("  (%1%)").arg(texts.progress) : QString()));
  now_line_->setToolTip(plain_tooltip(texts.tooltip(name)));
  place_now_line();
}

void GuideHookup::show_now_column(bool shown) {
  ChannelTableModel* model = window_.model();
  if (!shown) {
    if (model->has_extra_column()) model->set_extra_column({}, {});
    return;
  }
  // Asked for the visible rows only, so a list of a million channels costs no more than a screenful.
  model->set_extra_column(QStringLiteral("Now"), [this](int position) {
    const Channel& channel = window_.state().catalogue.channels[position];
    const QString name = channel.name.text();
    const auto guides = library_->guides();
    const auto match = library_->match(guide_match_key(channel), name.toStdString(), tvg_id_of ? tvg_id_of(channel) : std::string());
    if (!match) return QString();
    const int64_t shift = guide_shift_of ? guide_shift_of(channel) : 0;
    const NowAndNext on = now_and_next(*guides->channel(*match), QDateTime::currentSecsSinceEpoch() - shift);
    if (!on.now) return QString();
    const std::string_view title = guides->guide_of(*match).text(on.now->title);
    return QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size()));
  });
  window_.channel_list()->setColumnWidth(model->columnCount() - 1, 160);  // the last: after the number column
}

QByteArray GuideHookup::panel_place() const {
  return panel_placed_ || panel_->isVisible() ? panel_->saveGeometry() : QByteArray();
}

void GuideHookup::restore_panel_place(const QByteArray& place) {
  if (panel_->restoreGeometry(place)) panel_placed_ = true;
}

void GuideHookup::place_panel() {
  // The panel's frame is not known before it is shown: the main window's stands in for it.
  const QRect frame = window_.frameGeometry();
  const QSize decorations = frame.size() - window_.geometry().size();
  const QRect screen = window_.screen()->availableGeometry();
  panel_->move(window_beside(frame, panel_->size() + decorations, screen));
}

void GuideHookup::place_now_line() {
  const QRect status = window_.status_label()->geometry(), label = window_.channel_label()->geometry();
  const QRect logo = window_.channel_logo()->geometry();
  const int left = status.right() + 12, right = (logo.isEmpty() ? label.left() : logo.left()) - 12;
  now_line_->setGeometry(left, label.top(), std::max(0, right - left), label.height());
  now_line_->setVisible(right - left > 40 && !now_line_->text().isEmpty());
}

bool GuideHookup::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Resize || event->type() == QEvent::Move) place_now_line();
  return QObject::eventFilter(watched, event);
}
