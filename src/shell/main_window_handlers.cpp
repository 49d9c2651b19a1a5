#include "shell/main_window.h"

#include "dialogs/find_dialog.h"
#include "shell/catalogue_refresh.h"
#include "shell/channel_row_text.h"
#include "shell/channel_table_model.h"
#include "shell/context_menu.h"
#include "shell/favorite_star.h"
#include "views/search.h"
#include "views/sorting.h"
#include "widgets/click_label.h"
#include "widgets/messages.h"
#include "widgets/plain_tooltip.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QTableView>
#include <QToolButton>

#include <exception>

void MainWindow::report_failure(const std::exception& error) {
  list_->setUpdatesEnabled(true);  // a rebuild may have stopped half-way
  show_error(this, QString::fromUtf8(error.what()));
}

void MainWindow::load_catalogue() { run(hooks_.load_catalogue); }

// ---------------------------------------------------------------------------------------------
// The view

void MainWindow::enter_no_channel_state() {
  channel_name_.clear();
  now_playing_.clear();
  guide_lines_.clear();
  channel_logo_->clear();
  show_channel_label(no_channel_label_html(), QString());
  run(hooks_.load_row, -1);
  show_one_of(pause_, play_);
  show_favorite_star();
}

BeforeRebuild MainWindow::before_rebuild() {
  return [this] {
    enter_no_channel_state();
    model_->set_row_count(0);  // drops the selection; no row shows a channel that moves
    list_->setUpdatesEnabled(false);
  };
}

void MainWindow::apply_view_update(const ViewUpdate& update) {
  if (update.caption) setWindowTitle(*update.caption);
  model_->set_row_count(update.row_count);
  clear_filter_->setVisible(update.clear_filter_visible);
}

void MainWindow::finish_view_change(const ViewUpdate& update) {
  apply_view_update(update);
  list_->setColumnWidth(4, main_layout::kRebuiltCommentsWidth);
  list_->setUpdatesEnabled(true);
  refill_countries();
  run(hooks_.refill_dialog_lists);
}

ReloadHooks MainWindow::reload_hooks() {
  return ReloadHooks{before_rebuild(), [this](const ViewUpdate& update) { finish_view_change(update); }};
}

void MainWindow::sort_by_column(int column) {
  // A column of the programme guide changes by the minute: not an order to keep.
  if (state_.visible.empty() || column >= kColumnCount) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  struct RestoreCursor {
    ~RestoreCursor() { QApplication::restoreOverrideCursor(); }
  } restore;
  list_->setUpdatesEnabled(false);
  if (sort_by_column_click(state_, column)) rebuild_view();
  list_->setUpdatesEnabled(true);
}

void MainWindow::rebuild_view() { finish_view_change(::rebuild_view(state_, before_rebuild())); }

void MainWindow::refill_countries() {
  const CountryList list = country_list(state_.catalogue);
  countries_->clear();
  countries_->addItems(list.entries);
  if (countries_->count() > 0) countries_->setCurrentIndex(list.selected);
}

// ---------------------------------------------------------------------------------------------
// The channel list

int MainWindow::selected_row() const {
  // Any selected cell: rows are selected whole, but a column coming or going leaves a row selected
  // in all but that column for a moment.
  const QModelIndexList cells = list_->selectionModel()->selectedIndexes();
  return cells.isEmpty() ? -1 : cells.first().row();
}

int MainWindow::selected_channel_position() const { return model_->channel_position(selected_row()); }

void MainWindow::select_row(int row) {
  if (row < 0 || row >= model_->row_count()) {
    clear_selection();
    return;
  }
  const QModelIndex index = model_->index(row, 0);
  list_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  list_->scrollTo(index);
  list_->setFocus();
}

void MainWindow::clear_selection() { list_->selectionModel()->clearSelection(); }

void MainWindow::show_channel_label(const QString& html, const QString& tooltip) {
  channel_label_->setText(html);
  channel_label_->setToolTip(plain_tooltip(tooltip));
  channel_logo_->setToolTip(channel_label_->toolTip());
  place_controls();  // the label grows to the left for a longer name
}

void MainWindow::show_channel_logo(const QImage& logo) {
  if (logo.isNull() || channel_name_.isEmpty()) {
    channel_logo_->clear();
  } else {
    // Drawn at the screen's own resolution: a logo is small enough to lose its letters otherwise.
    const qreal ratio = devicePixelRatioF();
    QPixmap shown = QPixmap::fromImage(logo.scaled(main_layout::logo_size_for(logo.size()) * ratio,
                                                   Qt::KeepAspectRatio, Qt::SmoothTransformation));
    shown.setDevicePixelRatio(ratio);
    channel_logo_->setPixmap(shown);
  }
  place_controls();
}

void MainWindow::show_now_playing(const QString& title) {
  if (title == now_playing_) return;
  now_playing_ = title;
  if (!channel_name_.isEmpty()) refresh_channel_label();
}

void MainWindow::show_guide_lines(const QString& lines) {
  if (lines == guide_lines_) return;
  guide_lines_ = lines;
  if (!channel_name_.isEmpty()) refresh_channel_label();
}

void MainWindow::refresh_channel_label() {
  show_channel_label(channel_label_html(channel_name_, now_playing_),
                     channel_label_tooltip(channel_name_, now_playing_) + guide_lines_);
}

void MainWindow::set_status_text(const QString& status) {
  player_status_ = status;
  QString html = status.toHtmlEscaped();
  if (!recording_time_.isEmpty())
    html += QStringLiteral("&nbsp;&nbsp;<font color=\"#ff5050\">&#9679; REC ") + recording_time_.toHtmlEscaped() +
            QStringLiteral("</font>");
  status_label_->setText(html);
  place_controls();
}

void MainWindow::show_recording_time(const QString& text) {
  recording_time_ = text;
  set_status_text(player_status_);
}

void MainWindow::on_selection_changed(bool selected) {
  const int p = selected_channel_position();
  if (p >= 0 && selected) {
    const Channel& ch = state_.catalogue.channels[p];
    channel_name_ = ch.name.text();
    now_playing_.clear();
    guide_lines_.clear();
    refresh_channel_label();
    run(hooks_.load_row, selected_row());
    show_one_of(play_, pause_);
    show_favorite_star();
  } else {
    enter_no_channel_state();
  }
}

void MainWindow::play_selected_channel() {
  on_selection_changed(true);
  run(hooks_.play);
}

void MainWindow::prepare_channel_menu(int row) {
  context_menu_->apply(right_click_menu_state(context_menu_->state(), state_, row, selected_row()));
}

void MainWindow::open_channel_menu_for_selected_row() {
  QMenu* menu = context_menu_->menu();
  if (menu->isVisible()) return;  // the Menu key can arrive both as a key and as a menu request
  const int row = selected_row();
  prepare_channel_menu(row);
  // Below the row's start, so the row stays readable; with no row, at the top of the list.
  QPoint at(4, 4);
  if (row >= 0) {
    const QModelIndex index = model_->index(row, 0);
    list_->scrollTo(index);
    const QRect cell = list_->visualRect(index);
    at = QPoint(cell.left() + 8, cell.bottom() + 1);
  }
  menu->popup(list_->viewport()->mapToGlobal(at));
}

void MainWindow::show_favorite_star() {
  const FavoriteStar star = favorite_star(state_.catalogue, selected_channel_position());
  favorited_->setEnabled(star.enabled);
  favorited_->setChecked(star.filled);
  favorited_->setToolTip(star.hint);
}

void MainWindow::show_one_of(QWidget* shown, QWidget* hidden) {
  const bool had_focus = hidden->hasFocus();
  shown->show();
  if (had_focus) shown->setFocus(Qt::OtherFocusReason);
  hidden->hide();
}

// ---------------------------------------------------------------------------------------------
// Addresses

void MainWindow::open_address(const std::optional<QUrl>& url, const QString& typed) {
  if (url) {
    if (open_url_) open_url_(*url);
    return;
  }
  // Addresses come from a remote catalogue: anything but a web page or a mail address could start
  // a program, so it is refused and the user learns why nothing opened.
  show_warning(this, QStringLiteral("The address \"%1\" was not opened: only web pages (http, https) and mail "
                                    "addresses are opened.")
                         .arg(typed));
}

void MainWindow::open_homepage() {
  const int p = selected_channel_position();
  if (p < 0) return;
  const QString homepage = to_qstring(state_.catalogue.channels[p].homepage);
  if (homepage.isEmpty()) return;
  open_address(web_page_url(homepage), homepage);
}

void MainWindow::open_site() {
  const QString site = site_->text();
  open_address(web_page_url(site), site);
}

void MainWindow::open_mail() {
  const QString mail = mail_->text();
  open_address(mail_url(mail), mail);
}

// ---------------------------------------------------------------------------------------------
// Search

void MainWindow::open_find_dialog() {
  state_.search_position = 0;
  find_dialog_->open_dialog();
}

void MainWindow::find_next() {
  const SearchRequest request = find_dialog_->request();
  const int row = find_channel_row(state_, model_->row_count(), request);
  if (row >= 0) {
    // Clearing first, so that a hit on the row already selected loads its channel again too.
    clear_selection();
    select_row(row);
  } else {
    show_information(find_dialog_->isVisible() ? static_cast<QWidget*>(find_dialog_) : this,
                     not_found_message(request.text));
  }
}

// ---------------------------------------------------------------------------------------------
// Window events

void MainWindow::closeEvent(QCloseEvent* event) {
  bool may_close = true;
  if (hooks_.save_before_close) {
    try {
      may_close = hooks_.save_before_close();
    } catch (const std::exception& error) {
      report_failure(error);
    }
  }
  if (!may_close) {
    event->ignore();
    return;
  }
  run(hooks_.leave_fullscreen);
  find_dialog_->hide();
  QWidget::closeEvent(event);
}

void MainWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::ActivationChange) return;
  const bool active = isActiveWindow();
  run(hooks_.activation_changed, active);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::Leave:
      // Leaving a large button repaints the whole window, so no trace of its hover frame stays.
      for (QToolButton* button : large_buttons_)
        if (watched == button) update();
      break;
    case QEvent::MouseButtonDblClick:
      if (watched == list_->viewport() && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        // The first press of the double click has already selected the row (or cleared the
        // selection on an empty spot).
        run(hooks_.watch);
      }
      break;
    case QEvent::KeyPress:
      if (watched == list_) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (is_play_key(key->key(), key->modifiers()) && selected_row() >= 0) {
          run(hooks_.play_key);
          return true;
        }
        if (is_menu_key(key->key(), key->modifiers())) {
          run(hooks_.menu_key);
          return true;
        }
      }
      break;
    case QEvent::ContextMenu:
      if (watched == list_ || watched == list_->viewport()) {
        const auto* menu_event = static_cast<QContextMenuEvent*>(event);
        if (menu_event->reason() != QContextMenuEvent::Mouse) {
          run(hooks_.menu_key);  // the platform's own menu request from the keyboard
          return true;
        }
        const QPoint at = watched == list_ ? list_->viewport()->mapFrom(list_, menu_event->pos()) : menu_event->pos();
        const QModelIndex index = list_->indexAt(at);
        prepare_channel_menu(index.isValid() ? index.row() : -1);
        context_menu_->menu()->popup(menu_event->globalPos());
        return true;
      }
      break;
    default: break;
  }
  return QWidget::eventFilter(watched, event);
}
