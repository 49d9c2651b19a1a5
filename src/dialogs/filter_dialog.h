#pragma once
#include "views/filter_logic.h"

#include <QDialog>

#include <array>
#include <functional>

struct ChannelListState;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

// Makes one write on the settings store under the program's key.
void store_in_settings(const StoreWrite& write);

// The modal filter dialog: edits the five criteria of the catalogue's filter, stores them and
// rebuilds the view when "Set Filter" is pressed; any other way of closing it changes nothing.
class FilterDialog : public QDialog {
  Q_OBJECT
 public:
  struct Hooks {
    std::function<void(const StoreWrite&)> store;  // one call on the settings store; empty: the real store
    std::function<void()> rebuild_view;
  };

  FilterDialog(ChannelListState& state, Hooks hooks = {}, QWidget* parent = nullptr);
  Hooks& hooks() { return hooks_; }

  // Shows the current criteria; runs each time the dialog is shown.
  void show_criteria();
  void on_name_criterion_toggled();
  void on_country_criterion_toggled();
  void on_genre_criterion_toggled();
  void on_bitrate_criterion_toggled();
  void on_status_criteria_toggled();
  void apply_filter();

  // Puts the catalogue's country and genre names into the two lists. Showing the dialog does this
  // too, so calling it from the view rebuild is optional.
  void refill_lists();

  // The dialog's content as "Set Filter" would take it over.
  FilterChoices choices() const;

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  // Places the check boxes and the button so that each caption shows whole in the font in use.
  void fit_captions();

  ChannelListState& state_;
  Hooks hooks_;
  QCheckBox* name_box_;
  QLineEdit* name_edit_;
  QCheckBox* country_box_;
  QComboBox* countries_;
  QCheckBox* genre_box_;
  QComboBox* genres_;
  QCheckBox* bitrate_box_;
  QLineEdit* bitrate_edit_;
  QCheckBox* status_box_;
  std::array<QCheckBox*, 6> status_boxes_;
  QPushButton* set_button_;
  QWidget* panel_ = nullptr;
};
