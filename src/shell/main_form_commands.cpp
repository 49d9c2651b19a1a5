#include "catalogue/user_files.h"
#include "services/catalogue_refresh.h"
#include "services/feedback.h"
#include "shell/channel_table_model.h"
#include "shell/main_form.h"
#include "views/sorting.h"
#include "views/view_builder.h"

#include <QApplication>
#include <QTableView>

void T_mainForm::wire_landed_commands() {
  const auto view_command = [this](ViewUpdate (*command)(AppState&, const BeforeRebuild&)) {
    return [this, command] { finish_view_change(command(state_, before_rebuild())); };
  };
  hooks_.tv_click = view_command(&choose_tv_view);
  hooks_.radio_click = view_command(&choose_radio_view);
  hooks_.video_click = view_command(&choose_video_view);
  hooks_.favorites_click = view_command(&choose_favorites_view);
  hooks_.clear_filter_click = view_command(&clear_filter);
  hooks_.country_change = [this](int entry) { finish_view_change(choose_country(state_, entry, before_rebuild())); };
  hooks_.column_click = [this](int column) { MainAdvListViewColumnClick(column); };

  const auto row_command = [this](bool (*command)(AppState&, int, QWidget*)) {
    return [this, command](int row) {
      if (command(state_, row, this)) rebuild_view();
    };
  };
  hooks_.add_to_favorites = row_command(&add_to_favorites);
  hooks_.remove_from_favorites = row_command(&remove_from_favorites);
  hooks_.remove_channel = row_command(&remove_user_channel);
  hooks_.form_close_query = [this] { return save_user_files(state_, this); };

  hooks_.rate = [this](int row, int stars) {
    const int position = model_->channel_position(row);
    if (position >= 0) send_rating(state_.catalogue, QString::number(stars), position);
  };
  hooks_.flag = [this](int row, const QString& word) {
    const int position = model_->channel_position(row);
    if (position >= 0) send_flag(state_.catalogue, word, position);
  };
  hooks_.submit_user_channel = [this](int, int channel_index) { submit_channel_at(state_, channel_index); };
  hooks_.report_broken_channel = [this](int, int channel_index) { report_bad_channel_at(state_, channel_index); };
}

ReloadHooks T_mainForm::reload_hooks() {
  return ReloadHooks{{}, before_rebuild(), [this](const ViewUpdate& update) { finish_view_change(update); }};
}

void T_mainForm::MainAdvListViewColumnClick(int column) {
  if (state_.visible.empty()) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  struct RestoreCursor {
    ~RestoreCursor() { QApplication::restoreOverrideCursor(); }
  } restore;
  list_->setUpdatesEnabled(false);
  if (sort_by_column_click(state_, column)) rebuild_view();
  list_->setUpdatesEnabled(true);
}
