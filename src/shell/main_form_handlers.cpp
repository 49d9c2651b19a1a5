#include "shell/main_form.h"

#include "shell/channel_table_model.h"
#include "shell/context_menu.h"
#include "shell/find_dialog.h"
#include "views/search.h"
#include "widgets/click_label.h"
#include "widgets/messages.h"
#include "widgets/plain_tooltip.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QTableView>
#include <QToolButton>

#include <exception>

void T_mainForm::report_failure(const std::exception& error) {
  list_->setUpdatesEnabled(true);  // a rebuild may have stopped half-way
  show_error(this, QString::fromUtf8(error.what()));
}

void T_mainForm::GetData() { run(hooks_.get_data); }

// ---------------------------------------------------------------------------------------------
// The view

void T_mainForm::enter_no_channel_state() {
  show_channel_label(no_channel_label_html(), QString());
  run(hooks_.load_row, -1);
  play_->hide();
  pause_->show();
}

BeforeRebuild T_mainForm::before_rebuild() {
  return [this] {
    enter_no_channel_state();
    model_->set_row_count(0);  // drops the selection; no row shows a channel that moves
    list_->setUpdatesEnabled(false);
  };
}

void T_mainForm::apply_view_update(const ViewUpdate& update) {
  if (update.caption) setWindowTitle(*update.caption);
  model_->set_row_count(update.row_count);
  clear_filter_->setVisible(update.clear_filter_visible);
}

void T_mainForm::finish_view_change(const ViewUpdate& update) {
  apply_view_update(update);
  list_->setColumnWidth(4, main_layout::kRebuiltCommentsWidth);
  list_->setUpdatesEnabled(true);
  refill_countries();
  run(hooks_.refill_dialog_lists);
}

void T_mainForm::rebuild_view() { finish_view_change(::rebuild_view(state_, before_rebuild())); }

void T_mainForm::refill_countries() {
  const CountryList list = country_list(state_.catalogue.info);
  countries_->clear();
  countries_->addItems(list.entries);
  if (countries_->count() > 0) countries_->setCurrentIndex(list.selected);
}

// ---------------------------------------------------------------------------------------------
// The channel list

int T_mainForm::selected_row() const {
  const QModelIndexList rows = list_->selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.first().row();
}

int T_mainForm::selected_channel_position() const { return model_->channel_position(selected_row()); }

void T_mainForm::select_row(int row) {
  if (row < 0 || row >= model_->row_count()) {
    clear_selection();
    return;
  }
  const QModelIndex index = model_->index(row, 0);
  list_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  list_->scrollTo(index);
  list_->setFocus();
}

void T_mainForm::clear_selection() { list_->selectionModel()->clearSelection(); }

void T_mainForm::show_channel_label(const QString& html, const QString& tooltip) {
  channel_label_->setText(html);
  channel_label_->setToolTip(plain_tooltip(tooltip));
  FormResize();  // the label grows to the left for a longer name
}

void T_mainForm::set_status_text(const QString& status) {
  status_label_->setText(status.toHtmlEscaped());
  FormResize();
}

void T_mainForm::MainAdvListViewSelectItem(bool selected) {
  const int p = selected_channel_position();
  if (p >= 0 && selected) {
    const TItem& ch = state_.catalogue.info.channels[p];
    const QString name = ch.name.text();
    show_channel_label(channel_label_html(name), name);
    run(hooks_.load_row, selected_row());
    pause_->hide();
    play_->show();
  } else {
    enter_no_channel_state();
  }
}

void T_mainForm::MainAdvListViewDblClick() {
  MainAdvListViewSelectItem(true);
  run(hooks_.play);
}

void T_mainForm::Watch1Click() { MainAdvListViewDblClick(); }

void T_mainForm::MainAdvListViewRightClickCell(int row) {
  context_menu_->apply(right_click_menu_state(context_menu_->state(), state_, row, selected_row()));
}

// ---------------------------------------------------------------------------------------------
// Addresses

void T_mainForm::open_address(const std::optional<QUrl>& url, const QString& typed) {
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

void T_mainForm::Homepage1Click() {
  const int p = selected_channel_position();
  if (p < 0) return;
  const QString homepage = to_qstring(state_.catalogue.info.channels[p].homepage);
  if (homepage.isEmpty()) return;
  open_address(web_page_url(homepage), homepage);
}

void T_mainForm::SiteLabelClick() {
  const QString site = site_->text();
  open_address(web_page_url(site), site);
}

void T_mainForm::MailLabelClick() {
  const QString mail = mail_->text();
  open_address(mail_url(mail), mail);
}

// ---------------------------------------------------------------------------------------------
// Search

void T_mainForm::SearchAdvToolButtonClick() {
  state_.search_position = 0;
  find_dialog_->open_dialog();
}

void T_mainForm::FindDialogFind() {
  const SearchRequest request = find_dialog_->request();
  const int row = ::FindDialogFind(state_, model_->row_count(), request);
  if (row >= 0)
    select_row(row);
  else
    show_information(find_dialog_->isVisible() ? static_cast<QWidget*>(find_dialog_) : this,
                     not_found_message(request.text));
}

// ---------------------------------------------------------------------------------------------
// Window events

void T_mainForm::closeEvent(QCloseEvent* event) {
  bool may_close = true;
  if (hooks_.form_close_query) {
    try {
      may_close = hooks_.form_close_query();
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

void T_mainForm::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::ActivationChange) return;
  const bool active = isActiveWindow();
  run(hooks_.activation_changed, active);
  if (active && !activated_once_) {
    activated_once_ = true;
    run(hooks_.first_activation);
  }
}

bool T_mainForm::eventFilter(QObject* watched, QEvent* event) {
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
        MainAdvListViewDblClick();
      }
      break;
    case QEvent::ContextMenu:
      if (watched == list_ || watched == list_->viewport()) {
        const auto* menu_event = static_cast<QContextMenuEvent*>(event);
        if (menu_event->reason() == QContextMenuEvent::Mouse) {
          const QPoint at = watched == list_ ? list_->viewport()->mapFrom(list_, menu_event->pos()) : menu_event->pos();
          const QModelIndex index = list_->indexAt(at);
          MainAdvListViewRightClickCell(index.isValid() ? index.row() : -1);
        }
        context_menu_->menu()->popup(menu_event->globalPos());
        return true;
      }
      break;
    default: break;
  }
  return QWidget::eventFilter(watched, event);
}
