#include "dialogs/filter_dialog.h"

#include "settings/settings_store.h"
#include "settings/source_table_choice.h"
#include "views/channel_list_state.h"
#include "widgets/design_colours.h"
#include "widgets/fonts.h"
#include "widgets/framed_panel.h"
#include "widgets/messages.h"
#include "widgets/text_colour.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

#include <algorithm>

namespace {
const QSize kDesignedSize(300, 329);
const int kColumnGap = 4;     // least room between two columns of status boxes
const int kPanelBorder = 1;
const int kButtonMargin = 10;  // from "Set Filter" to the dialog's right edge

QCheckBox* check_box(QWidget* panel, const char* name, const QString& caption) {
  auto* box = new QCheckBox(caption, panel);
  box->setObjectName(QLatin1String(name));
  set_text_colour(box, design_colours().caption);
  return box;
}

// A place laid out for Tahoma, grown to what the caption needs in the font in use: wider to the
// right, taller about the same middle.
QRect fitted(const QRect& designed, const QSize& needed) {
  QRect r = designed;
  r.setWidth(std::max(designed.width(), needed.width()));
  const int height = std::max(designed.height(), needed.height());
  r.setTop(designed.center().y() - (height - 1) / 2);
  r.setHeight(height);
  return r;
}

QLineEdit* value_edit(QWidget* panel, const char* name, QRect geometry) {
  auto* edit = new QLineEdit(panel);
  edit->setObjectName(QLatin1String(name));
  edit->setGeometry(geometry);
  edit->setMaxLength(255);
  set_text_colour(edit, design_colours().alert);
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
    set_text_colour(control, design_colours().alert);
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
  setFixedSize(kDesignedSize);
  setFont(tahoma(11));

  QFrame* panel = framed_panel(this, QStringLiteral("FilterPanel"), {QPoint(0, 0), kDesignedSize});

  name_box_ = check_box(panel, "NameCheckBox", QStringLiteral("All or part of the file name:"));
  name_edit_ = value_edit(panel, "NameEdit", {30, 40, 246, 19});
  country_box_ = check_box(panel, "CountryCheckBox", QStringLiteral("Country"));
  countries_ = value_list(panel, "CountryCombo", QStringLiteral("All Countries"), {30, 85, 246, 19});
  genre_box_ = check_box(panel, "GenreCheckBox", QStringLiteral("Genre"));
  genres_ = value_list(panel, "GenreCombo", QStringLiteral("All Genres"), {30, 140, 246, 19});
  bitrate_box_ = check_box(panel, "BitrateCheckBox", QStringLiteral("Bitrate (at least)"));
  bitrate_edit_ = value_edit(panel, "BitrateEdit", {30, 183, 121, 19});
  status_box_ = check_box(panel, "FilterCheckBox", QStringLiteral("Filter away channels flaged as:"));
  status_boxes_ = {
      check_box(panel, "FineCheckBox", QStringLiteral("Works fine")),
      check_box(panel, "NotWorkingCheckBox", QStringLiteral("Not working")),
      check_box(panel, "NewCheckBox", QStringLiteral("New")),
      check_box(panel, "WrongInfoCheckBox", QStringLiteral("Wrong info")),
      check_box(panel, "DuplicateCheckBox", QStringLiteral("Duplicate")),
      check_box(panel, "SpamCheckBox", QStringLiteral("Spam")),
  };
  for (QCheckBox* box : status_boxes_) {
    set_text_colour(box, design_colours().greyed, QPalette::Disabled);
    box->setEnabled(false);
  }

  set_button_ = new QPushButton(QStringLiteral("Set Filter"), panel);
  set_button_->setObjectName(QStringLiteral("SetFilterButton"));
  // Enter in the name or bitrate field must not press the button behind the user's back.
  set_button_->setAutoDefault(false);

  connect(name_box_, &QCheckBox::clicked, this, &FilterDialog::on_name_criterion_toggled);
  connect(country_box_, &QCheckBox::clicked, this, &FilterDialog::on_country_criterion_toggled);
  connect(genre_box_, &QCheckBox::clicked, this, &FilterDialog::on_genre_criterion_toggled);
  connect(bitrate_box_, &QCheckBox::clicked, this, &FilterDialog::on_bitrate_criterion_toggled);
  connect(status_box_, &QCheckBox::clicked, this, &FilterDialog::on_status_criteria_toggled);
  connect(set_button_, &QPushButton::clicked, this, &FilterDialog::apply_filter);
  panel_ = panel;
  hand_down_font(this);
  fit_captions();
}

void FilterDialog::fit_captions() {
  if (!panel_) return;
  struct Place {
    QWidget* widget;
    QRect designed;
  };
  const Place criteria[] = {{name_box_, {8, 17, 114, 17}},     {country_box_, {8, 62, 114, 17}},
                            {genre_box_, {8, 111, 109, 17}},   {bitrate_box_, {8, 161, 109, 17}},
                            {status_box_, {8, 213, 177, 17}}};
  // The six status boxes stand in three columns of two; a column moves right when the one before
  // it needs more room than Tahoma did.
  const Place columns[3][2] = {{{status_boxes_[0], {34, 239, 87, 17}}, {status_boxes_[1], {34, 260, 79, 17}}},
                               {{status_boxes_[2], {125, 239, 44, 17}}, {status_boxes_[3], {125, 260, 76, 17}}},
                               {{status_boxes_[4], {214, 240, 68, 17}}, {status_boxes_[5], {214, 261, 44, 17}}}};
  const auto needed = [](QWidget* w) {
    w->ensurePolished();
    return w->sizeHint();
  };
  int right = 0;  // the rightmost pixel column any caption needs
  for (const Place& p : criteria) {
    const QRect r = fitted(p.designed, needed(p.widget));
    p.widget->setGeometry(r);
    right = std::max(right, r.right());
  }
  int next_left = 0;
  for (const auto& column : columns) {
    const int left = std::max(column[0].designed.left(), next_left);
    int column_right = left;
    for (const Place& p : column) {
      const QRect r = fitted(p.designed, needed(p.widget)).translated(left - p.designed.left(), 0);
      p.widget->setGeometry(r);
      column_right = std::max(column_right, r.right());
    }
    next_left = column_right + 1 + kColumnGap;
    right = std::max(right, column_right);
  }

  // The dialog keeps its size unless a caption would reach the border; "Set Filter" stays at the
  // bottom right.
  const int width = std::max(kDesignedSize.width(), right + 1 + kPanelBorder);
  setFixedSize(width, kDesignedSize.height());
  panel_->resize(width, kDesignedSize.height());
  const QRect button_designed(width - kButtonMargin - 86, 298, 86, 24);
  const QSize button_needed = needed(set_button_);
  QRect button = fitted(button_designed, button_needed);
  button.moveRight(button_designed.right());
  set_button_->setGeometry(button);
}

void FilterDialog::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::FontChange) hand_down_font(this);
  if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) fit_captions();
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
  // Their captions go grey while they are disabled (palette).
  for (QCheckBox* box : status_boxes_) box->setEnabled(on);
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
    store_source_table_choice(state_.catalogue);
  }
  if (hooks_.rebuild_view) hooks_.rebuild_view();
  accept();
}
