#pragma once
#include "shell/app_state.h"
#include "shell/links.h"
#include "shell/main_layout.h"
#include "shell/main_window_hooks.h"
#include "views/view_builder.h"

#include <QWidget>

#include <array>
#include <exception>
#include <optional>
#include <utility>

class ChannelContextMenu;
class ChannelTableModel;
class ClickLabel;
class FindDialog;
class GradientPanel;
class PlayerControl;
class RecentTitlesWindow;
struct ReloadHooks;
class VolumeButton;
class QComboBox;
class QFrame;
class QImage;
class QLabel;
class QTableView;
class QToolButton;

// The program's main window: the view and command buttons, the country list and the channel list
// on the left, the video area with the status line and the player buttons on the right. It shows
// the program state it is given. What its buttons, menu entries and list gestures do comes in
// through hooks(), which shell/command_wiring.cpp fills.
class MainWindow : public QWidget {
  Q_OBJECT
 public:
  explicit MainWindow(AppState& state, QWidget* parent = nullptr);
  ~MainWindow() override;

  AppState& state() { return state_; }
  MainWindowHooks& hooks() { return hooks_; }
  void set_url_opener(UrlOpener opener) { open_url_ = std::move(opener); }

  // The start-up catalogue load; what it does is the load_catalogue hook.
  void load_catalogue();

  // --- The view: every change of view, criteria, channel array or order ends with rebuild_view.
  void rebuild_view();
  // What a view command or rebuild of the view builder hands to the window: before_rebuild() runs
  // before the visible list changes, finish_view_change() with its answer afterwards.
  BeforeRebuild before_rebuild();
  void finish_view_change(const ViewUpdate& update);
  // The window's part of the reload after a catalogue download (shell/catalogue_refresh.h).
  ReloadHooks reload_hooks();
  // Caption, row count and "Clear Filter" from a build of the visible list.
  void apply_view_update(const ViewUpdate& update);
  // The country list: every country row's name, then the entry of the country criterion (or 0).
  void refill_countries();
  // "No channel" in the label, nothing loaded in the player, the Pause button in the Play place.
  void enter_no_channel_state();

  // --- The channel list.
  ChannelTableModel* model() const { return model_; }
  QTableView* channel_list() const { return list_; }
  int selected_row() const;                // -1 when no row is selected
  int selected_channel_position() const;   // channel-array position of the selected row, or -1
  // Selects the row (clearing any other selection), scrolls it into view and focuses the list.
  void select_row(int row);
  void clear_selection();

  // --- The player's place.
  // Shows the playback's control in the Play/Pause place, the mute pair, the volume control and
  // the status line, lets it ask for the selected row, and hands its feedback events to the
  // hooks. Call it before control->createPlayer(video_area()), which already reports the first
  // status, volume and button states.
  void attach_player_control(PlayerControl* control);
  QWidget* video_area() const;
  QLabel* status_label() const { return status_label_; }
  QLabel* channel_label() const { return channel_label_; }
  // The loaded channel's logo before its name; hidden without one.
  QLabel* channel_logo() const { return channel_logo_; }
  // Shows `logo` before the channel name (a null image: none) until another is shown or the
  // label shows no channel.
  void show_channel_logo(const QImage& logo);
  // The status line's text, shown as typed.
  void set_status_text(const QString& status);
  // The playing stream's title beside the channel name (empty: the name alone).
  void show_now_playing(const QString& title);
  // The programme guide's lines for the loaded channel ("\nNow: ...\nNext: ..."), put after the
  // name and the stream's title in the label's tooltip; the label has one tooltip and two sources.
  void show_guide_lines(const QString& lines);
  // The list of the loaded channel's recent titles, made at its first opening.
  RecentTitlesWindow* recent_titles_window() const { return recent_titles_; }
  // Opens (or brings forward) that list; the channel label's context menu does this.
  void open_recent_titles(PlayerControl* control);
  QToolButton* play_button() const { return play_; }
  QToolButton* pause_button() const { return pause_; }
  QToolButton* mute_button() const { return mute_; }
  QToolButton* unmute_button() const { return unmute_; }
  VolumeButton* sound_button() const { return sound_; }
  // The volume control's hint and picture for a volume 0 to 100.
  void show_volume(int volume);
  QToolButton* fullscreen_button() const { return fullscreen_; }
  QToolButton* favorited_button() const { return favorited_; }
  QToolButton* record_button() const { return record_; }
  // The recording's length after the player's status; empty: not recording.
  void show_recording_time(const QString& text);
  QToolButton* search_button() const { return search_; }

  // --- Other controls.
  QComboBox* countries() const { return countries_; }
  ClickLabel* clear_filter_label() const { return clear_filter_; }
  FindDialog* find_dialog() const { return find_dialog_; }
  ChannelContextMenu* context_menu() const { return context_menu_; }

  // --- What the window does itself; the hooks reach these through the wiring table.
  void place_controls();
  void on_selection_changed(bool selected);
  // Loads the selected row's channel again and plays it (Watch/Listen, a double click).
  void play_selected_channel();
  // The context menu's states for a right click on `row` (-1 below the last row).
  void prepare_channel_menu(int row);
  // The context menu from the keyboard: the selected row's states, opened at that row.
  void open_channel_menu_for_selected_row();
  // The star in the player bar shows whether the channel in the player is a favourite.
  void show_favorite_star();
  // Sorts by the column under a busy pointer and rebuilds; nothing while the list is empty.
  void sort_by_column(int column);
  void open_homepage();
  void open_site();
  void open_mail();
  void open_find_dialog();
  void find_next();
  // A media key pressed anywhere in the window or in its full-screen video.
  void media_key_pressed(MediaCommand command) { run(hooks_.media_key, command); }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void build_left_column(QWidget* panel);
  void build_list(QWidget* panel);
  void build_player(QWidget* panel);
  void build_button_bar(QWidget* panel);
  void build_links(QWidget* panel);
  void connect_context_menu();
  void set_tab_order();
  // One button of a pair that shares a place (Play/Pause, Mute/Unmute) shows, the other hides; the
  // keyboard focus moves along to the shown one.
  static void show_one_of(QWidget* shown, QWidget* hidden);
  void show_channel_label(const QString& html, const QString& tooltip);
  // The label from the channel name and the stream's title held below.
  void refresh_channel_label();
  // Runs a hook; an error it raises is shown to the user and the rest of the command skipped.
  template <typename Hook, typename... Args>
  void run(const Hook& hook, Args&&... args);
  void report_failure(const std::exception& error);
  void open_address(const std::optional<QUrl>& url, const QString& typed);

  AppState& state_;
  MainWindowHooks hooks_;
  UrlOpener open_url_;

  QWidget* main_panel_ = nullptr;
  std::array<QToolButton*, 6> large_buttons_{};
  QComboBox* countries_ = nullptr;
  QToolButton* search_ = nullptr;
  QToolButton* filter_ = nullptr;
  QTableView* list_ = nullptr;
  ChannelTableModel* model_ = nullptr;
  ClickLabel* clear_filter_ = nullptr;
  QLabel* right_click_ = nullptr;
  GradientPanel* player_panel_ = nullptr;
  QFrame* video_area_ = nullptr;
  QLabel* status_label_ = nullptr;
  QLabel* channel_label_ = nullptr;
  QLabel* channel_logo_ = nullptr;
  QWidget* buttons_panel_ = nullptr;
  QToolButton* play_ = nullptr;
  QToolButton* pause_ = nullptr;
  QToolButton* fullscreen_ = nullptr;
  QToolButton* favorited_ = nullptr;
  QToolButton* record_ = nullptr;
  QString player_status_ = QStringLiteral("Stopped");
  QString recording_time_;
  QToolButton* mute_ = nullptr;
  QToolButton* unmute_ = nullptr;
  VolumeButton* sound_ = nullptr;
  ClickLabel* site_ = nullptr;
  ClickLabel* mail_ = nullptr;
  ChannelContextMenu* context_menu_ = nullptr;
  FindDialog* find_dialog_ = nullptr;
  RecentTitlesWindow* recent_titles_ = nullptr;
  QString channel_name_;  // of the loaded channel; empty with none
  QString now_playing_;
  QString guide_lines_;
};

template <typename Hook, typename... Args>
void MainWindow::run(const Hook& hook, Args&&... args) {
  if (!hook) return;
  try {
    hook(std::forward<Args>(args)...);
  } catch (const std::exception& error) {
    report_failure(error);
  }
}

// Ctrl+F with any further modifiers opens the find dialog.
bool is_find_shortcut(int key, Qt::KeyboardModifiers modifiers);
// Enter or Return (also on the keypad) without Shift, Ctrl, Alt or Meta plays the selected row.
bool is_play_key(int key, Qt::KeyboardModifiers modifiers);
// The Menu key, or Shift+F10, opens the list's context menu.
bool is_menu_key(int key, Qt::KeyboardModifiers modifiers);

// The channel label's text for a channel name (shown as typed, never as markup) and for none.
QString channel_label_html(const QString& name);
// The same with the stream's title after the name, shortened to what fits a label line.
QString channel_label_html(const QString& name, const QString& title);
// The label's tooltip: the name, and the title when there is one.
QString channel_label_tooltip(const QString& name, const QString& title);
QString no_channel_label_html();

// "Quovi Pro - 5.1.5.0": the caption before the first view is built.
QString base_caption();
