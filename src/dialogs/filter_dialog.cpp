#include "dialogs/filter_dialog.h"

#include "settings/settings_store.h"
#include "views/channel_list_state.h"
#include "widgets/fonts.h"
#include "widgets/framed_panel.h"
#include "widgets/messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

#include <algorithm>


namespace {
const char* const kCaptionColour = "rgb(8,55,114)";
const char* const kValueColour = "rgb(255,0,0)";
const char* const kGreyedColour = "rgb(192,192,192)";
// Inside the panel's one-pixel border of the 300-pixel-wide dialog.
const int kPanelRight = 299;

void set_text_colour(QWidget* w, const char* colour) {
  w->setStyleSheet(QStringLiteral("color: %1;").arg(QLatin1String(colour)));
}

// The widths were laid out for Tahoma; where another font stands in, a box grows to show its whole
// caption, up to `right` (the next column or the panel's border).
QCheckBox* check_box(QWidget* panel, const char* name, const QString& caption, QRect geometry, int right) {
  auto* box = new QCheckBox(caption, panel);
  box->setObjectName(QLatin1String(name));
  set_text_colour(box, kCaptionColour);
  box->ensurePolished();
  geometry.setWidth(std::max(geometry.width(), std::min(box->sizeHint().width(), right - geometry.left())));
  box->setGeometry(geometry);
  return box;
}

QLineEdit* value_edit(QWidget* panel, const char* name, QRect geometry) {
  auto* edit = new QLineEdit(panel);
  edit->setObjectName(QLatin1String(name));
  edit->setGeometry(geometry);
  edit->setMaxLength(255);
  set_text_colour(edit, kValueColour);
  edit->setEnabled(false);
  return edit;
}

QComboBox* value_list(QWidget* panel, const char* name, const QString& first, QRect geometry) {
  auto* list = new QComboBox(panel);
  list->setObjectName(QLatin1String(name));
  list->setGeometry(geometry);
  list->setEditable(false);
  list->setFont(tahoma(9));
  list->addItem(first);
  list->setEnabled(false);
  return list;
}

// A checked box enables its control, puts the focus there and shows its value in red.
void follow_box(QCheckBox* box, QWidget* control) {
  control->setEnabled(box->isChecked());
  if (box->isChecked()) {
    control->setFocus();
    set_text_colour(control, kValueColour);
  }
}

template <typename Row>
void fill_names(QComboBox* list, const std::vector<Row>& rows, const QString& without_catalogue) {
  const int keep = list->currentIndex();
  list->clear();
  if (rows.empty()) list->addItem(without_catalogue);
  for (const Row& row : rows) list->addItem(row.name.text());
  list->setCurrentIndex(keep >= 0 && keep < list->count() ? keep : 0);
}
}  // namespace

void store_in_settings(const StoreWrite& write) {
  switch (write.op) {
    case StoreWrite::Op::Integer: write_integer_setting(kSettingsKey, write.value, write.number); break;
    case StoreWrite::Op::Text: write_text_setting(kSettingsKey, write.value, write.text); break;
    case StoreWrite::Op::Delete: delete_setting(kSettingsKey, write.value); break;
  }
}

FilterDialog::FilterDialog(ChannelListState& state, Hooks hooks, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), state_(state), hooks_(std::move(hooks)) {
  if (!hooks_.store) hooks_.store = store_in_settings;
  setObjectName(QStringLiteral("FilterDialog"));
  setWindowTitle(QStringLiteral("Filter"));
  setModal(true);
  setFixedSize(300, 329);
  setFont(tahoma(11));

  QFrame* panel = framed_panel(this, QStringLiteral("FilterPanel"), {0, 0, 300, 329});

  name_box_ = check_box(panel, "NameCheckBox", QStringLiteral("All or part of the file name:"), {8, 17, 114, 17}, kPanelRight);
  name_edit_ = value_edit(panel, "NameEdit", {30, 40, 246, 19});
  country_box_ = check_box(panel, "CountryCheckBox", QStringLiteral("Country"), {8, 62, 114, 17}, kPanelRight);
  countries_ = value_list(panel, "CountryCombo", QStringLiteral("All Countries"), {30, 85, 246, 19});
  genre_box_ = check_box(panel, "GenreCheckBox", QStringLiteral("Genre"), {8, 111, 109, 17}, kPanelRight);
  genres_ = value_list(panel, "GenreCombo", QStringLiteral("All Genres"), {30, 140, 246, 19});
  bitrate_box_ = check_box(panel, "BitrateCheckBox", QStringLiteral("Bitrate (at least)"), {8, 161, 109, 17}, kPanelRight);
  bitrate_edit_ = value_edit(panel, "BitrateEdit", {30, 183, 121, 19});
  status_box_ = check_box(panel, "FilterCheckBox", QStringLiteral("Filter away channels flaged as:"), {8, 213, 177, 17}, kPanelRight);
  status_boxes_ = {
      check_box(panel, "FineCheckBox", QStringLiteral("Works fine"), {34, 239, 87, 17}, 124),
      check_box(panel, "NotWorkingCheckBox", QStringLiteral("Not working"), {34, 260, 79, 17}, 124),
      check_box(panel, "NewCheckBox", QStringLiteral("New"), {125, 239, 44, 17}, 213),
      check_box(panel, "WrongInfoCheckBox", QStringLiteral("Wrong info"), {125, 260, 76, 17}, 213),
      check_box(panel, "DuplicateCheckBox", QStringLiteral("Duplicate"), {214, 240, 68, 17}, kPanelRight),
      check_box(panel, "SpamCheckBox", QStringLiteral("Spam"), {214, 261, 44, 17}, kPanelRight),
  };
  for (QCheckBox* box : status_boxes_) box->setEnabled(false);

  set_button_ = new QPushButton(QStringLiteral("Set Filter"), panel);
  set_button_->setObjectName(QStringLiteral("SetFilterButton"));
  set_button_->setGeometry(204, 298, 86, 24);
  // Enter in the name or bitrate field must not press the button behind the user's back.
  set_button_->setAutoDefault(false);

  connect(name_box_, &QCheckBox::clicked, this, &FilterDialog::on_name_criterion_toggled);
  connect(country_box_, &QCheckBox::clicked, this, &FilterDialog::on_country_criterion_toggled);
  connect(genre_box_, &QCheckBox::clicked, this, &FilterDialog::on_genre_criterion_toggled);
  connect(bitrate_box_, &QCheckBox::clicked, this, &FilterDialog::on_bitrate_criterion_toggled);
  connect(status_box_, &QCheckBox::clicked, this, &FilterDialog::on_status_criteria_toggled);
  connect(set_button_, &QPushButton::clicked, this, &FilterDialog::apply_filter);
}

void FilterDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) show_criteria();
}

void FilterDialog::refill_lists() {
  fill_names(countries_, state_.catalogue.countries, QStringLiteral("All Countries"));
  fill_names(genres_, state_.catalogue.genres, QStringLiteral("All Genres"));
}

void FilterDialog::show_criteria() {
  refill_lists();
  const FilterChoices c = filter_choices_from(state_.catalogue);
  name_box_->setChecked(c.name_on);
  name_edit_->setText(c.name_text);
  country_box_->setChecked(c.country_on);
  countries_->setCurrentIndex(c.country_index);
  genre_box_->setChecked(c.genre_on);
  genres_->setCurrentIndex(c.genre_index);
  bitrate_box_->setChecked(c.bitrate_on);
  bitrate_edit_->setText(c.bitrate_text);
  status_box_->setChecked(c.status_on);
  for (size_t i = 0; i < status_boxes_.size(); ++i) status_boxes_[i]->setChecked(c.statuses[i]);

  on_name_criterion_toggled();
  on_country_criterion_toggled();
  on_genre_criterion_toggled();
  on_bitrate_criterion_toggled();
  on_status_criteria_toggled();
}

void FilterDialog::on_name_criterion_toggled() { follow_box(name_box_, name_edit_); }
void FilterDialog::on_country_criterion_toggled() { follow_box(country_box_, countries_); }
void FilterDialog::on_genre_criterion_toggled() { follow_box(genre_box_, genres_); }
void FilterDialog::on_bitrate_criterion_toggled() { follow_box(bitrate_box_, bitrate_edit_); }

void FilterDialog::on_status_criteria_toggled() {
  const bool on = status_box_->isChecked();
  for (QCheckBox* box : status_boxes_) {
    box->setEnabled(on);
    set_text_colour(box, on ? kCaptionColour : kGreyedColour);
  }
  if (on) status_boxes_[0]->setFocus();
}

FilterChoices FilterDialog::choices() const {
  FilterChoices c;
  c.name_on = name_box_->isChecked();
  c.name_text = name_edit_->text();
  c.country_on = country_box_->isChecked();
  c.country_index = countries_->currentIndex();
  c.genre_on = genre_box_->isChecked();
  c.genre_index = genres_->currentIndex();
  c.bitrate_on = bitrate_box_->isChecked();
  c.bitrate_text = bitrate_edit_->text();
  c.status_on = status_box_->isChecked();
  for (size_t i = 0; i < status_boxes_.size(); ++i) c.statuses[i] = status_boxes_[i]->isChecked();
  return c;
}

void FilterDialog::apply_filter() {
  auto plan = plan_set_filter(state_.catalogue, choices());
  if (const QString* error = std::get_if<QString>(&plan)) {
    show_error(this, *error);
    bitrate_edit_->setFocus();
    return;
  }
  FilterUpdate& update = std::get<FilterUpdate>(plan);
  state_.catalogue.filter = update.filter;
  {
    // A store that cannot be written is told once for the whole filter, not once per value; the
    // criteria hold for this run either way.
    SettingsWriteBatch batch;
    for (const StoreWrite& w : update.writes) hooks_.store(w);
  }
  if (hooks_.rebuild_view) hooks_.rebuild_view();
  accept();
}
