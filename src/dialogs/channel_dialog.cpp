#include "dialogs/channel_dialog.h"

#include "services/stream_address.h"
#include "views/channel_list_state.h"
#include "widgets/design_colours.h"
#include "widgets/fonts.h"
#include "widgets/framed_panel.h"
#include "views/sorting.h"
#include "widgets/messages.h"
#include "widgets/text_colour.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QShowEvent>

namespace {

void caption(QWidget* panel, const QString& text, int top) {
  auto* label = new QLabel(text, panel);
  label->setGeometry(15, top + 3, 64, 15);
  set_text_colour(label, design_colours().caption);
}

QLineEdit* text_field(QWidget* panel, const char* name, const QString& label, int left, int top) {
  caption(panel, label, top);
  auto* edit = new QLineEdit(panel);
  edit->setObjectName(QLatin1String(name));
  edit->setGeometry(left, top, 190, 21);
  edit->setMaxLength(255);
  return edit;
}

QComboBox* choice_list(QWidget* panel, const char* name, const QString& label, int left, int top, int width,
                       const QStringList& entries) {
  caption(panel, label, top);
  auto* list = new QComboBox(panel);
  list->setObjectName(QLatin1String(name));
  list->setGeometry(left, top, width, 21);
  list->setEditable(false);
  list->addItems(entries);
  return list;
}

template <typename Row>
void fill_names(QComboBox* list, const std::vector<Row>& rows, size_t count) {
  list->clear();
  for (size_t i = 0; i < count && i < rows.size(); ++i) list->addItem(rows[i].name.text());
  if (list->count() == 0) list->addItem(QString());
}

QStringList entries_of(const QComboBox* list) {
  QStringList entries;
  for (int i = 0; i < list->count(); ++i) entries << list->itemText(i);
  return entries;
}
}  // namespace

ChannelDialog::ChannelDialog(ChannelListState& state, Hooks hooks, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), state_(state), hooks_(std::move(hooks)) {
  setObjectName(QStringLiteral("ChannelDialog"));
  setWindowTitle(QStringLiteral("Add/Update Channel"));
  setModal(true);
  setFixedSize(292, 331);
  setFont(tahoma(11));

  QFrame* panel = framed_panel(this, QStringLiteral("AddPanel"), {0, 0, 292, 331});

  const QString none = QStringLiteral(" -----");
  category_ = choice_list(panel, "CategoryCombo", QStringLiteral("Category*"), 80, 20, 190,
                          {none, QStringLiteral("TV"), QStringLiteral("Radio"), QStringLiteral("Video")});
  name_ = text_field(panel, "NameEdit", QStringLiteral("Name*"), 80, 48);
  url_ = text_field(panel, "UrlEdit", QStringLiteral("URL*"), 80, 73);
  // No Cut, Copy or Paste menu on the address and the bitrate.
  url_->setContextMenuPolicy(Qt::PreventContextMenu);

  test_label_ = new QLabel(QStringLiteral("Test Channel"), panel);
  test_label_->setObjectName(QStringLiteral("TestChannelLabel"));
  test_label_->move(191, 99);
  set_text_colour(test_label_, design_colours().alert);
  QFont bold = font();
  bold.setBold(true);
  test_label_->setFont(bold);
  test_label_->adjustSize();
  test_label_->setCursor(Qt::PointingHandCursor);
  test_label_->installEventFilter(this);

  bitrate_ = text_field(panel, "BitrateEdit", QStringLiteral("Bitrate"), 80, 120);
  bitrate_->setContextMenuPolicy(Qt::PreventContextMenu);
  // Digits only, typed or pasted; deleting stays possible.
  bitrate_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), bitrate_));

  type_ = choice_list(panel, "TypeCombo", QStringLiteral("Type*"), 81, 145, 189,
                      {none, QStringLiteral("Media Player"), QStringLiteral("Real Player")});
  homepage_ = text_field(panel, "HomepageEdit", QStringLiteral("Homepage"), 80, 170);
  countries_ = choice_list(panel, "CountryCombo", QStringLiteral("Country*"), 80, 194, 190, {});
  genres_ = choice_list(panel, "GenreCombo", QStringLiteral("Genre*"), 81, 221, 189, {});
  comment_ = text_field(panel, "CommentEdit", QStringLiteral("Comment"), 80, 247);

  confirm_ = new QCheckBox(QStringLiteral("I can confirm that channel is working!"), panel);
  confirm_->setObjectName(QStringLiteral("ConfirmCheckBox"));
  confirm_->move(16, 278);
  confirm_->adjustSize();
  set_text_colour(confirm_, design_colours().caption);

  add_button_ = new QPushButton(QStringLiteral("Add Channel"), panel);
  add_button_->setObjectName(QStringLiteral("AddChannelButton"));
  add_button_->setGeometry(189, 301, 86, 24);
  add_button_->setAutoDefault(false);
  add_button_->setEnabled(false);

  QWidget* order[] = {name_, url_, homepage_, confirm_, bitrate_, countries_, genres_, category_, type_, comment_,
                      add_button_};
  for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

  connect(confirm_, &QCheckBox::toggled, this, &ChannelDialog::on_confirm_toggled);
  connect(add_button_, &QPushButton::clicked, this, &ChannelDialog::save_channel);
  hand_down_font(this);
}

void ChannelDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) show_channel();
}

bool ChannelDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == test_label_ && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    test_channel();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void ChannelDialog::refill_lists() {
  // A channel of the user's own is stored with the catalogue's countries and genres only: those
  // other sources name live only in memory.
  const Catalogue& catalogue = state_.catalogue;
  fill_names(countries_, catalogue.countries, catalogue_rows(catalogue.source_tables.own_countries, catalogue.countries));
  fill_names(genres_, catalogue.genres, catalogue_rows(catalogue.source_tables.own_genres, catalogue.genres));
  countries_->setItemText(0, QStringLiteral("-----"));
  genres_->setItemText(0, QStringLiteral("-----"));
}

void ChannelDialog::show_fields(const ChannelFields& f) {
  category_->setCurrentIndex(f.category_index);
  type_->setCurrentIndex(f.type_index);
  countries_->setCurrentIndex(f.country_index);
  genres_->setCurrentIndex(f.genre_index);
  name_->setText(f.name);
  url_->setText(f.url);
  bitrate_->setText(f.bitrate);
  homepage_->setText(f.homepage);
  comment_->setText(f.comment);
}

void ChannelDialog::show_channel() {
  refill_lists();
  ChannelFields f;
  if (!adding_new) {
    // The record the rewrite will change, found the same way.
    const Catalogue& catalogue = state_.catalogue;
    if (const Channel* channel = channel_to_rewrite(catalogue, position, channel_id))
      f = fields_from_channel(catalogue, *channel, entries_of(countries_), entries_of(genres_));
  }
  show_fields(f);
  confirm_->setChecked(false);
  add_button_->setEnabled(false);
  category_->setFocus();
}

void ChannelDialog::on_confirm_toggled() { add_button_->setEnabled(confirm_->isChecked()); }

void ChannelDialog::test_channel() {
  const QString url = trim_text(url_->text());
  if (url.isEmpty()) return;
  if (const std::optional<QUrl> address = testable_stream_address(url)) {
    // The desktop hands the address to its player or browser; when it has none, the user is told
    // rather than left waiting for a window that never comes.
    if (!QDesktopServices::openUrl(*address))
      show_error(this, QStringLiteral("The desktop could not open %1: no program is set up to open such addresses.")
                           .arg(address->toString()));
    return;
  }
  show_error(this, QStringLiteral("Only network addresses (such as http, https, mms or rtsp) can be tested."));
}

ChannelFields ChannelDialog::fields() const {
  ChannelFields f;
  f.category_index = category_->currentIndex();
  f.name = name_->text();
  f.url = url_->text();
  f.bitrate = bitrate_->text();
  f.type_index = type_->currentIndex();
  f.homepage = homepage_->text();
  f.country_index = countries_->currentIndex();
  f.country_name = countries_->currentText();
  f.genre_index = genres_->currentIndex();
  f.genre_name = genres_->currentText();
  f.comment = comment_->text();
  return f;
}

void ChannelDialog::save_channel() {
  const ChannelFields f = fields();
  const bool adding = channel_id == 0;
  const std::optional<QString> refusal =
      adding ? add_user_channel(state_.catalogue, f) : rewrite_user_channel(state_.catalogue, position, channel_id, f);
  if (refusal) {
    show_error(this, *refusal);
    return;
  }
  // Same column, same direction as the last sort: the list keeps its order with the new channel in it.
  if (adding) sort_after_adding_channel(state_);
  if (hooks_.rebuild_view) hooks_.rebuild_view();
  accept();
}
