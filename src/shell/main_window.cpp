#include "shell/main_window.h"

#include "dialogs/find_dialog.h"
#include "playback/video_widget.h"
#include "playback/volume.h"
#include "playback/volume_button.h"
#include "shell/channel_row_text.h"
#include "shell/channel_table_model.h"
#include "shell/context_menu.h"
#include "shell/pictures.h"
#include "version.h"
#include "widgets/click_label.h"
#include "widgets/design_colours.h"
#include "widgets/fonts.h"
#include "widgets/gradient_panel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QShortcut>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
using namespace main_layout;

const QColor kWhiteText(254, 254, 254);  // on the player bar, dark in either scheme

void set_colour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(role, colour);
  widget->setPalette(palette);
}

// Shows the checked state it is given: a click asks first and the answer decides, so the button
// must not change on its own before that.
class StarButton : public QToolButton {
 public:
  using QToolButton::QToolButton;

 protected:
  void nextCheckState() override {}
};

template <typename Button = QToolButton>
Button* picture_button(QWidget* parent, const char* name, const QString& hint, const QString& picture_name,
                       QRect geometry) {
  auto* button = new Button(parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setToolTip(hint);
  button->setAutoRaise(true);
  // Reached with Tab; a click leaves the keyboard focus where it was (on the list, mostly).
  button->setFocusPolicy(Qt::TabFocus);
  button->setIcon(picture(picture_name, geometry.size()));
  button->setIconSize(geometry.size());
  button->setGeometry(geometry);
  button->setCursor(Qt::PointingHandCursor);
  return button;
}

struct LargeButton {
  const char* name;
  const char* caption;
  const char* hint;
  const char* picture;
  std::function<void()> MainWindowHooks::*hook;
};

const LargeButton kLargeButtons[6] = {
    {"TvViewButton", "TV", "TV channels", "large_tv", &MainWindowHooks::show_tv},
    {"RadioViewButton", "Radio", "Radio channels", "large_radio", &MainWindowHooks::show_radio},
    {"VideoViewButton", "Video", "Video channels", "large_video", &MainWindowHooks::show_video},
    {"FavoritesViewButton", "Favorites", "Favorites", "large_favorites", &MainWindowHooks::show_favorites},
    {"UpdateButton", "Update", "Update channels", "large_update", &MainWindowHooks::download_catalogue},
    {"SubmitButton", "Add", "Submit channel", "large_add", &MainWindowHooks::add_channel},
};

// Flat buttons that light up under the pointer, in the window's blue and orange.
QString window_style(const DesignColours& c) {
  static const char* const kStyle = R"(
QToolButton#TvViewButton, QToolButton#RadioViewButton, QToolButton#VideoViewButton,
QToolButton#FavoritesViewButton, QToolButton#UpdateButton, QToolButton#SubmitButton {
  color: %1; border: 1px solid transparent; border-radius: 3px; background: transparent; padding: 0px;
}
QToolButton#TvViewButton:hover, QToolButton#RadioViewButton:hover, QToolButton#VideoViewButton:hover,
QToolButton#FavoritesViewButton:hover, QToolButton#UpdateButton:hover, QToolButton#SubmitButton:hover {
  border-color: %2; background: %3;
}
QToolButton#TvViewButton:pressed, QToolButton#RadioViewButton:pressed, QToolButton#VideoViewButton:pressed,
QToolButton#FavoritesViewButton:pressed, QToolButton#UpdateButton:pressed, QToolButton#SubmitButton:pressed {
  background: %4;
}
QToolButton#TvViewButton:focus, QToolButton#RadioViewButton:focus, QToolButton#VideoViewButton:focus,
QToolButton#FavoritesViewButton:focus, QToolButton#UpdateButton:focus, QToolButton#SubmitButton:focus {
  border-color: %2;
}
QToolButton#SearchButton, QToolButton#FilterButton { border: none; background: transparent; padding: 0px; }
QToolButton#SearchButton:hover, QToolButton#FilterButton:hover, QToolButton#SearchButton:focus,
QToolButton#FilterButton:focus { background: %4; }
#ButtonsPanel QToolButton { border: none; background: transparent; padding: 0px; }
#ButtonsPanel QToolButton:focus { background: rgba(255,153,0,120); border-radius: 2px; }
QTableView#ChannelList { gridline-color: %5; }
QMenu#ChannelMenu, QMenu#RateMenu, QMenu#FlagMenu {
  background: %6; border: 1px solid %7; padding: 2px 0px;
}
QMenu#ChannelMenu::item, QMenu#RateMenu::item, QMenu#FlagMenu::item {
  padding: 4px 24px 4px 30px; color: %1; border: 1px solid transparent;
}
QMenu#ChannelMenu::item:selected, QMenu#RateMenu::item:selected, QMenu#FlagMenu::item:selected {
  background: %8; border-color: %2;
}
QMenu#ChannelMenu::item:disabled, QMenu#RateMenu::item:disabled, QMenu#FlagMenu::item:disabled { color: %9; }
QMenu#ChannelMenu::icon, QMenu#RateMenu::icon, QMenu#FlagMenu::icon { padding-left: 8px; }
QMenu#ChannelMenu::separator { height: 1px; background: %10; margin: 3px 4px 3px 30px; }
QTableView#ChannelList QHeaderView::section {
  background: %11; color: %1; border: none;
  border-right: 1px solid %12; border-bottom: 1px solid %12; padding: 0px 3px;
  font-family: "Tahoma", "Liberation Sans", "Arimo", "Arial", "DejaVu Sans Condensed"; font-size: 11px;
}
)";
  const auto css = [](const QColor& colour) { return colour.name(); };
  return QString::fromLatin1(kStyle)
      .arg(css(c.caption), css(c.frame), css(c.hover), css(c.pressed), css(c.grid), css(c.menu), css(c.menu_edge),
           css(c.menu_selected), css(c.menu_greyed))
      .arg(css(c.separator), css(c.header), css(c.header_edge));
}

// Thin flat scroll bars for the channel list.
QString scroll_bar_style(const DesignColours& c) {
  static const char* const kScrollBarStyle = R"(
QScrollBar { background: %1; border: none; margin: 0px; }
QScrollBar:vertical { width: 12px; }
QScrollBar:horizontal { height: 12px; }
QScrollBar::handle { background: %2; border-radius: 3px; margin: 2px; }
QScrollBar::handle:hover { background: rgb(255,170,60); }
QScrollBar::handle:vertical { min-height: 24px; }
QScrollBar::handle:horizontal { min-width: 24px; }
QScrollBar::add-line, QScrollBar::sub-line { width: 0px; height: 0px; border: none; }
QScrollBar::add-page, QScrollBar::sub-page { background: none; }
)";
  return QString::fromLatin1(kScrollBarStyle).arg(c.header.name(), c.scroll_handle.name());
}

// Shows the window every key press before its controls get it (Ctrl+F, the media keys).
class KeyPreview : public QObject {
 public:
  KeyPreview(MainWindow* window) : QObject(window), window_(window) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (!widget) return false;
    const QWidget* const top = widget->window();
    // The full-screen video is a window of its own; the media keys work there as well.
    if (top != window_ && !qobject_cast<const VideoWidget*>(top)) return false;
    if (const std::optional<MediaCommand> command = media_key_command(key->key())) {
      // A held key would toggle or skip again with every repeat.
      if (!key->isAutoRepeat()) window_->media_key_pressed(*command);
      return true;
    }
    if (top != window_ || !is_find_shortcut(key->key(), key->modifiers())) return false;
    window_->search_button()->click();
    return true;
  }

 private:
  MainWindow* window_;
};
}  // namespace

MainWindow::MainWindow(AppState& state, QWidget* parent)
    : QWidget(parent), state_(state), open_url_(default_url_opener()) {
  setObjectName(QStringLiteral("MainWindow"));
  setWindowTitle(base_caption());
  setAutoFillBackground(true);
  const DesignColours& colours = design_colours();
  set_colour(this, QPalette::Window, colours.outside);
  setStyleSheet(window_style(colours));

  main_panel_ = new QWidget(this);
  main_panel_->setObjectName(QStringLiteral("MainPanel"));
  main_panel_->setAutoFillBackground(true);
  set_colour(main_panel_, QPalette::Window, colours.panel);

  build_left_column(main_panel_);
  build_list(main_panel_);
  build_player(main_panel_);
  build_button_bar(main_panel_);
  build_links(main_panel_);

  find_dialog_ = new FindDialog(this);
  connect(find_dialog_, &FindDialog::find_next, this, [this] { run(hooks_.find_next); });
  context_menu_ = new ChannelContextMenu(this);
  connect_context_menu();

  // The window sees every key before its controls do (Ctrl+F, the media keys).
  qApp->installEventFilter(new KeyPreview(this));
  set_tab_order();
  list_->setFocus();

  setMinimumSize(kMinimumClientSize);
  resize(kClientSize);
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  enter_no_channel_state();
}

MainWindow::~MainWindow() = default;

void MainWindow::build_left_column(QWidget* panel) {
  for (int i = 0; i < 6; ++i) {
    const LargeButton& b = kLargeButtons[i];
    auto* button = new QToolButton(panel);
    button->setObjectName(QString::fromLatin1(b.name));
    button->setText(QString::fromLatin1(b.caption));
    button->setToolTip(QString::fromLatin1(b.hint));
    button->setIcon(picture(QString::fromLatin1(b.picture), {48, 48}));
    button->setIconSize({48, 48});
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::TabFocus);
    button->setFont(tahoma(11, true));
    button->setCursor(Qt::PointingHandCursor);
    button->setGeometry(QRect(QPoint(kLargeButtonLefts[i], kLargeButtonTop), kLargeButtonSize));
    button->installEventFilter(this);
    const auto hook = b.hook;
    connect(button, &QToolButton::clicked, this, [this, hook] { run(hooks_.*hook); });
    large_buttons_[i] = button;
  }

  countries_ = new QComboBox(panel);
  countries_->setObjectName(QStringLiteral("CountryCombo"));
  countries_->setEditable(false);
  countries_->setFont(tahoma(9));
  countries_->setGeometry(kCountries);
  countries_->addItem(QStringLiteral("All Countries"));
  connect(countries_, &QComboBox::activated, this, [this](int entry) { run(hooks_.choose_country, entry); });

  search_ = picture_button(panel, "SearchButton", QStringLiteral("Search"), QStringLiteral("small_search"),
                           kSearchButton);
  connect(search_, &QToolButton::clicked, this, [this] { run(hooks_.search); });
  filter_ = picture_button(panel, "FilterButton", QStringLiteral("Filter"), QStringLiteral("small_filter"),
                           kFilterButton);
  connect(filter_, &QToolButton::clicked, this, [this] { run(hooks_.open_filter_dialog); });

  clear_filter_ = new ClickLabel(QStringLiteral("Clear Filter"), panel);
  clear_filter_->setObjectName(QStringLiteral("ClearFilterLabel"));
  clear_filter_->setFont(tahoma(11, true));
  set_colour(clear_filter_, QPalette::WindowText, design_colours().alert);
  clear_filter_->adjustSize();
  clear_filter_->hide();
  connect(clear_filter_, &ClickLabel::clicked, this, [this] { run(hooks_.clear_filter); });

  right_click_ = new QLabel(QStringLiteral("use right-click menu"), panel);
  right_click_->setObjectName(QStringLiteral("RightClickLabel"));
  right_click_->setFont(tahoma(11));
  set_colour(right_click_, QPalette::WindowText, design_colours().hint);
  right_click_->adjustSize();
}

void MainWindow::build_list(QWidget* panel) {
  model_ = new ChannelTableModel(state_, this);
  list_ = new QTableView(panel);
  list_->setObjectName(QStringLiteral("ChannelList"));
  list_->setModel(model_);
  list_->setFont(tahoma(11));
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setShowGrid(true);
  list_->setWordWrap(false);
  list_->setTextElideMode(Qt::ElideRight);
  list_->setSortingEnabled(false);
  list_->setIconSize({16, 16});
  list_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  list_->setFrameShape(QFrame::Box);
  list_->setContextMenuPolicy(Qt::DefaultContextMenu);
  list_->setTabKeyNavigation(false);  // Tab leaves the list for the player buttons; arrows move in it

  // Uniform rows: the view never measures a row, which keeps a million rows cheap.
  QHeaderView* rows = list_->verticalHeader();
  rows->hide();
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setMinimumSectionSize(10);
  rows->setDefaultSectionSize(17);

  QHeaderView* header = list_->horizontalHeader();
  header->setObjectName(QStringLiteral("ChannelListHeader"));
  header->setSectionsClickable(true);
  header->setSectionsMovable(false);
  header->setHighlightSections(false);
  header->setStretchLastSection(false);
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  header->setFixedHeight(17);
  header->setFont(list_->font());
  const DesignColours& colours = design_colours();
  list_->verticalScrollBar()->setStyleSheet(scroll_bar_style(colours));
  list_->horizontalScrollBar()->setStyleSheet(scroll_bar_style(colours));
  for (int c = 0; c < kColumnCount; ++c) list_->setColumnWidth(c, kColumnWidths[c]);

  QPalette palette = list_->palette();
  palette.setColor(QPalette::Text, colours.caption);
  palette.setColor(QPalette::Base, colours.list);
  for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
    palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
  list_->setPalette(palette);

  // The header's click signal already tells a click from a drag of a column edge.
  connect(header, &QHeaderView::sectionClicked, this, [this](int column) {
    if (countries_->view()->isVisible()) return;  // the click only closes the open country list
    run(hooks_.sort_by_column, column);
  });
  connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this](const QItemSelection& selected, const QItemSelection&) {
            // The cells of a column that went away leave their row selected: the channel is the same.
            if (selected.isEmpty() && list_->selectionModel()->hasSelection()) return;
            on_selection_changed(!selected.isEmpty());
          });
  // A reset drops the selection without telling the selection handler: the star follows it here.
  connect(model_, &QAbstractItemModel::modelReset, this, &MainWindow::show_favorite_star);
  // A column added beside a selected row joins its selection quietly: the channel is the same one.
  connect(model_, &QAbstractItemModel::columnsInserted, this, [this](const QModelIndex&, int first, int last) {
    QItemSelectionModel* selection = list_->selectionModel();
    const QModelIndexList selected = selection->selectedIndexes();
    if (selected.isEmpty()) return;
    const int row = selected.first().row();
    {
      const QSignalBlocker quiet(selection);
      selection->select(QItemSelection(model_->index(row, first), model_->index(row, last)), QItemSelectionModel::Select);
    }
    list_->viewport()->update();
  });
  list_->installEventFilter(this);
  list_->viewport()->installEventFilter(this);
}

void MainWindow::build_player(QWidget* panel) {
  player_panel_ = new GradientPanel(QColor(16, 16, 16), QColor(43, 10, 21), panel);
  player_panel_->setObjectName(QStringLiteral("PlayerPanel"));

  video_area_ = new QFrame(player_panel_);
  video_area_->setObjectName(QStringLiteral("VideoArea"));
  video_area_->setFrameShape(QFrame::Box);
  video_area_->setFrameShadow(QFrame::Plain);
  video_area_->setLineWidth(1);
  video_area_->setAutoFillBackground(true);
  set_colour(video_area_, QPalette::Window, Qt::black);
  set_colour(video_area_, QPalette::WindowText, QColor(64, 64, 64));
  auto* fill = new QVBoxLayout(video_area_);
  fill->setContentsMargins(0, 0, 0, 0);

  for (QLabel** label : {&status_label_, &channel_label_}) {
    *label = new QLabel(player_panel_);
    (*label)->setTextFormat(Qt::RichText);
    (*label)->setFont(tahoma(11));
    (*label)->setAttribute(Qt::WA_TranslucentBackground);
    set_colour(*label, QPalette::WindowText, kWhiteText);
  }
  status_label_->setObjectName(QStringLiteral("PlayerStatusLabel"));
  status_label_->setText(QStringLiteral("Stopped"));
  channel_label_->setObjectName(QStringLiteral("ChannelLabel"));
  channel_label_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  channel_logo_ = new QLabel(player_panel_);
  channel_logo_->setObjectName(QStringLiteral("ChannelLogo"));
  channel_logo_->setAttribute(Qt::WA_TranslucentBackground);
  channel_logo_->setAlignment(Qt::AlignCenter);
  channel_logo_->hide();
}

void MainWindow::build_button_bar(QWidget* panel) {
  buttons_panel_ = new QWidget(panel);
  buttons_panel_->setObjectName(QStringLiteral("ButtonsPanel"));
  auto* background = new QLabel(buttons_panel_);
  background->setObjectName(QStringLiteral("ButtonsImage"));
  background->setPixmap(picture_pixmap(QStringLiteral("bar_background"), {206, 48}));
  background->setGeometry(0, 0, 206, 48);

  play_ = picture_button(buttons_panel_, "PlayButton", QStringLiteral("Play"), QStringLiteral("bar_play"),
                         {6, 7, 32, 32});
  pause_ = picture_button(buttons_panel_, "PauseButton", QStringLiteral("Pause"), QStringLiteral("bar_pause"),
                          {6, 7, 32, 32});
  fullscreen_ = picture_button(buttons_panel_, "FullscreenButton", QStringLiteral("Enter to full screen"),
                               QStringLiteral("bar_fullscreen"), {48, 9, 10, 10});
  favorited_ = picture_button<StarButton>(buttons_panel_, "FavoriteButton", QStringLiteral("Add to favorites"),
                                          QStringLiteral("bar_not_favorited"), {64, 9, 12, 10});
  // Checked while the channel in the player is a favourite: a filled star, an empty one otherwise.
  favorited_->setCheckable(true);
  QIcon star = favorited_->icon();
  star.addPixmap(picture_pixmap(QStringLiteral("bar_favorited"), {12, 10}), QIcon::Normal, QIcon::On);
  favorited_->setIcon(star);
  record_ = picture_button(buttons_panel_, "RecordButton", QStringLiteral("Record"), QStringLiteral("bar_record"),
                           {82, 9, 10, 10});
  record_->setCheckable(true);
  QIcon record_icon = record_->icon();
  record_icon.addPixmap(picture_pixmap(QStringLiteral("bar_recording"), {10, 10}), QIcon::Normal, QIcon::On);
  record_->setIcon(record_icon);
  mute_ = picture_button(buttons_panel_, "MuteButton", QString(), QStringLiteral("bar_mute"), {118, 6, 15, 15});
  unmute_ = picture_button(buttons_panel_, "UnmuteButton", QString(), QStringLiteral("bar_unmute"),
                           {118, 6, 15, 15});
  sound_ = new VolumeButton(buttons_panel_, volume_picture);
  sound_->setObjectName(QStringLiteral("VolumeButton"));
  sound_->move(137, 6);
  show_volume(kStartVolume);
  unmute_->hide();

  auto* esc_hint = new QLabel(QStringLiteral("press Esc to exit full screen"), buttons_panel_);
  esc_hint->setObjectName(QStringLiteral("FullscreenHintLabel"));
  esc_hint->setFont(tahoma(9));
  set_colour(esc_hint, QPalette::WindowText, QColor(190, 190, 190));
  esc_hint->setGeometry(48, 26, 150, 12);

  connect(play_, &QToolButton::clicked, this, [this] { run(hooks_.play); });
  connect(pause_, &QToolButton::clicked, this, [this] { run(hooks_.pause); });
  connect(fullscreen_, &QToolButton::clicked, this, [this] { run(hooks_.fullscreen); });
  connect(favorited_, &QToolButton::clicked, this, [this] {
    run(hooks_.favorite_button_clicked);
    show_favorite_star();
  });
  connect(mute_, &QToolButton::clicked, this, [this] { run(hooks_.mute); });
  connect(record_, &QToolButton::clicked, this, [this] {
    // The button shows what the recorder does, not the click.
    record_->setChecked(!record_->isChecked());
    run(hooks_.record);
  });
  connect(unmute_, &QToolButton::clicked, this, [this] { run(hooks_.unmute); });
  connect(sound_, &VolumeButton::releasedAt, this, [this](int x) { run(hooks_.set_volume_at, x); });
  connect(sound_, &VolumeButton::stepped, this, [this](int delta) { run(hooks_.step_volume, delta); });
  // The keyboard's volume keys, wherever the focus is in the window.
  const auto on_key = [this](Qt::Key key, std::function<void()> action) {
    connect(new QShortcut(QKeySequence(key), this), &QShortcut::activated, this, std::move(action));
  };
  on_key(Qt::Key_VolumeUp, [this] { run(hooks_.step_volume, kVolumeKeyStep); });
  on_key(Qt::Key_VolumeDown, [this] { run(hooks_.step_volume, -kVolumeKeyStep); });
  on_key(Qt::Key_VolumeMute, [this] { mute_->isHidden() ? run(hooks_.unmute) : run(hooks_.mute); });
}

void MainWindow::build_links(QWidget* panel) {
  const QString site = site_address();
  const QString mail = support_mail_address();
  site_ = new ClickLabel(site, panel);
  site_->setObjectName(QStringLiteral("SiteLabel"));
  mail_ = new ClickLabel(mail, panel);
  mail_->setObjectName(QStringLiteral("MailLabel"));
  for (ClickLabel* link : {site_, mail_}) {
    QFont font = tahoma(11, true);
    font.setUnderline(true);
    link->setFont(font);
    set_colour(link, QPalette::WindowText, design_colours().link);
    link->adjustSize();
  }
  connect(site_, &ClickLabel::clicked, this, [this] { run(hooks_.open_site); });
  connect(mail_, &ClickLabel::clicked, this, [this] { run(hooks_.open_mail); });
}

void MainWindow::connect_context_menu() {
  ChannelContextMenu* menu = context_menu_;
  connect(menu, &ChannelContextMenu::watch_chosen, this, [this] { run(hooks_.watch); });
  connect(menu, &ChannelContextMenu::homepage_chosen, this, [this] { run(hooks_.open_homepage); });
  connect(menu, &ChannelContextMenu::add_favorite_chosen, this, [this] {
    run(hooks_.add_to_favorites, selected_row());
    show_favorite_star();
  });
  connect(menu, &ChannelContextMenu::remove_favorite_chosen, this, [this] {
    run(hooks_.remove_from_favorites, selected_row());
    show_favorite_star();
  });
  connect(menu, &ChannelContextMenu::update_chosen, this, [this] { run(hooks_.update_channel, selected_row()); });
  connect(menu, &ChannelContextMenu::remove_channel_chosen, this, [this] { run(hooks_.remove_channel, selected_row()); });
  connect(menu, &ChannelContextMenu::rate_chosen, this, [this](int stars) { run(hooks_.rate, selected_row(), stars); });
  connect(menu, &ChannelContextMenu::flag_chosen, this,
          [this](const QString& word) { run(hooks_.flag, selected_row(), word); });
}

// Tab runs through the commands at the top, the country list and the channel list, then the
// player buttons; of each pair only the visible button is reached.
void MainWindow::set_tab_order() {
  QList<QWidget*> chain(large_buttons_.begin(), large_buttons_.end());
  chain << countries_ << search_ << filter_ << list_ << play_ << pause_ << fullscreen_ << favorited_ << record_ << mute_
        << unmute_;
  for (qsizetype i = 1; i < chain.size(); ++i) setTabOrder(chain[i - 1], chain[i]);
}

QWidget* MainWindow::video_area() const { return video_area_; }

void MainWindow::place_controls() {
  const int logo_width = channel_logo_->pixmap().isNull() ? 0 : main_layout::logo_size_for(channel_logo_->pixmap().deviceIndependentSize().toSize()).width();
  const Geometry g = layout_for(size(), status_label_->sizeHint().width(), channel_label_->sizeHint().width(), logo_width);
  main_panel_->setGeometry(rect());
  right_click_->move(g.right_click);
  clear_filter_->move(g.clear_filter);
  list_->setGeometry(g.list);
  player_panel_->setGeometry(g.player_panel);
  video_area_->setGeometry(g.video_area);
  status_label_->setGeometry(g.status_label);
  channel_label_->setGeometry(g.channel_label);
  channel_logo_->setGeometry(g.channel_logo);
  channel_logo_->setVisible(!g.channel_logo.isEmpty());
  buttons_panel_->setGeometry(g.buttons_panel);
  site_->move(g.site_link);
  mail_->move(g.mail_link);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  place_controls();
}

bool is_find_shortcut(int key, Qt::KeyboardModifiers modifiers) {
  return key == Qt::Key_F && modifiers.testFlag(Qt::ControlModifier);
}

bool is_play_key(int key, Qt::KeyboardModifiers modifiers) {
  const Qt::KeyboardModifiers held = modifiers & ~Qt::KeypadModifier;
  return (key == Qt::Key_Return || key == Qt::Key_Enter) && held == Qt::NoModifier;
}

bool is_menu_key(int key, Qt::KeyboardModifiers modifiers) {
  const Qt::KeyboardModifiers held = modifiers & ~Qt::KeypadModifier;
  return (key == Qt::Key_Menu && held == Qt::NoModifier) || (key == Qt::Key_F10 && held == Qt::ShiftModifier);
}

QString channel_label_html(const QString& name) {
  return QStringLiteral("<P align=\"right\">") + name.toHtmlEscaped() + QStringLiteral("</P>");
}

QString channel_label_html(const QString& name, const QString& title) {
  if (title.isEmpty()) return channel_label_html(name);
  constexpr qsizetype kShownTitleLength = 60;
  QString shown = title;
  if (shown.size() > kShownTitleLength) {
    qsizetype cut = kShownTitleLength - 3;
    if (shown[cut - 1].isHighSurrogate()) --cut;
    shown = shown.left(cut).trimmed() + QStringLiteral("...");
  }
  return QStringLiteral("<P align=\"right\">") + name.toHtmlEscaped() +
         QStringLiteral(" &nbsp;<font color=\"#b4b4b4\">") + shown.toHtmlEscaped() + QStringLiteral("</font></P>");
}

QString channel_label_tooltip(const QString& name, const QString& title) {
  return title.isEmpty() ? name : name + QStringLiteral(" \u2014 ") + title;
}

QString no_channel_label_html() { return QStringLiteral("<P align=\"right\">No channel</P>"); }

QString base_caption() { return QStringLiteral(QUOVI_PRODUCT_NAME " - " QUOVI_PRODUCT_VERSION); }

