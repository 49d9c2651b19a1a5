#pragma once
#include "catalogue/channel_edit.h"

#include <QDialog>

#include <cstdint>
#include <functional>

struct ChannelListState;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The modal "Add/Update Channel" dialog: adds a user-defined channel or rewrites one.
class ChannelDialog : public QDialog {
  Q_OBJECT
 public:
  struct Hooks {
    std::function<void()> rebuild_view;
  };

  ChannelDialog(ChannelListState& state, Hooks hooks = {}, QWidget* parent = nullptr);
  Hooks& hooks() { return hooks_; }

  // Set together by the caller before showing: true, 0 and -1 for a new channel; false, the id of
  // the user-defined channel to rewrite and its position in the channel array (the selected row's
  // record, since a catalogue channel may carry the same id).
  bool adding_new = true;
  int32_t channel_id = 0;
  int position = -1;

  // Fills the fields; runs each time the dialog is shown.
  void show_channel();
  void on_confirm_toggled();
  void test_channel();
  void save_channel();

  // Puts the catalogue's country and genre names into the two lists (entry 0 reads "-----").
  // Showing the dialog does this too, so calling it from the view rebuild is optional.
  void refill_lists();

  // The fields as Add Channel would take them.
  ChannelFields fields() const;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void show_fields(const ChannelFields& f);

  ChannelListState& state_;
  Hooks hooks_;
  QComboBox* category_;
  QLineEdit* name_;
  QLineEdit* url_;
  QLabel* test_label_;
  QLineEdit* bitrate_;
  QComboBox* type_;
  QLineEdit* homepage_;
  QComboBox* countries_;
  QComboBox* genres_;
  QLineEdit* comment_;
  QCheckBox* confirm_;
  QPushButton* add_button_;
};
