#include "shell/channel_number_column.h"

#include "shell/channel_table_model.h"
#include "shell/main_window.h"

#include <QDateTime>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTableView>

ChannelNumberColumn::ChannelNumberColumn(MainWindow& window) : QObject(&window), window_(window) {
  // Every change of the view resets the model; the column follows without another reset, so the
  // selection the window gives the new view stays.
  connect(window.model(), &QAbstractItemModel::modelReset, this, &ChannelNumberColumn::follow_view);
  window.channel_list()->installEventFilter(this);
  follow_view();
}

void ChannelNumberColumn::follow_view() {
  ChannelTableModel* model = window_.model();
  const bool wanted = view_has_numbers(window_.state());
  if (wanted == model->has_number_column()) return;
  if (!wanted) {
    model->set_number_column({});
    return;
  }
  model->set_number_column([this](int position) {
    const uint32_t number = channel_number_for(window_.state().playlists,
                                               window_.state().catalogue.channels[static_cast<size_t>(position)]);
    return number != 0 ? QString::number(number) : QString();
  });
  // First on screen, as on a television's list, while the model keeps it after the channel's own
  // columns, whose indices the rest of the window relies on.
  QHeaderView* header = window_.channel_list()->horizontalHeader();
  header->moveSection(header->visualIndex(model->number_column()), 0);
  window_.channel_list()->setColumnWidth(model->number_column(), 48);
}

bool ChannelNumberColumn::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !window_.model()->has_number_column())
    return QObject::eventFilter(watched, event);
  const auto* key = static_cast<QKeyEvent*>(event);
  const Qt::KeyboardModifiers other = key->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
  if (other != Qt::NoModifier || key->key() < Qt::Key_0 || key->key() > Qt::Key_9)
    return QObject::eventFilter(watched, event);
  // Over a list with numbers, digits are numbers, not the start of a name.
  const std::optional<uint32_t> number = typed_.add(key->key() - Qt::Key_0, QDateTime::currentMSecsSinceEpoch());
  if (number) {
    const int row = row_of_number(window_.state(), *number);
    if (row >= 0) window_.select_row(row);
  }
  return true;
}
