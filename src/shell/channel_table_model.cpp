#include "shell/channel_table_model.h"

#include "shell/channel_row_text.h"
#include "shell/pictures.h"
#include "widgets/plain_tooltip.h"

#include <algorithm>

ChannelTableModel::ChannelTableModel(const AppState& state, QObject* parent)
    : QAbstractTableModel(parent), state_(state) {
  for (int i = 0; i <= kPlaylistStatePicture; ++i) state_pictures_[i] = state_picture(i);
}

void ChannelTableModel::set_row_count(int rows) {
  beginResetModel();
  rows_ = std::clamp(rows, 0, static_cast<int>(state_.visible.size()));
  endResetModel();
}

int ChannelTableModel::channel_position(int row) const {
  return row < rows_ ? ::channel_position(state_, row) : -1;
}

int ChannelTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

void ChannelTableModel::set_extra_column(const QString& caption, std::function<QString(int position)> text) {
  // The rows and the selection stay: a reset would drop the selection while a channel plays.
  const bool had = has_extra_column(), has = static_cast<bool>(text);
  const int at = kColumnCount + (number_text_ ? 1 : 0);  // the last, after the number column
  const auto take = [&] {
    extra_caption_ = caption;
    extra_text_ = std::move(text);
  };
  if (!had && has) {
    beginInsertColumns({}, at, at);
    take();
    endInsertColumns();
  } else if (had && !has) {
    beginRemoveColumns({}, at, at);
    take();
    endRemoveColumns();
  } else {
    take();
    if (!has) return;
    Q_EMIT headerDataChanged(Qt::Horizontal, at, at);
    if (rows_ > 0) Q_EMIT dataChanged(index(0, at), index(rows_ - 1, at));
  }
}

void ChannelTableModel::set_number_column(std::function<QString(int position)> text) {
  if (static_cast<bool>(text) == has_number_column()) {
    number_text_ = std::move(text);
    return;
  }
  if (text) {
    beginInsertColumns({}, kColumnCount, kColumnCount);
    number_text_ = std::move(text);
    endInsertColumns();
  } else {
    beginRemoveColumns({}, kColumnCount, kColumnCount);
    number_text_ = nullptr;
    endRemoveColumns();
  }
}

int ChannelTableModel::number_column() const { return kColumnCount; }

int ChannelTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount + (number_text_ ? 1 : 0) + (extra_text_ ? 1 : 0);
}

QVariant ChannelTableModel::data(const QModelIndex& index, int role) const {
  const int p = index.isValid() ? channel_position(index.row()) : -1;
  if (p < 0) return {};
  const Channel& ch = state_.catalogue.channels[p];
  if (number_text_ && index.column() == kColumnCount) {
    if (role == Qt::DisplayRole) return number_text_(p);
    if (role == Qt::TextAlignmentRole) return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::BackgroundRole) return row_background(ch);
    return {};
  }
  if (index.column() >= kColumnCount && role == Qt::DisplayRole) return extra_text_ ? extra_text_(p) : QString();
  if (index.column() >= kColumnCount && role == Qt::ToolTipRole)
    return extra_text_ ? plain_tooltip(extra_text_(p)) : QString();
  switch (role) {
    case Qt::DisplayRole: return cell_text(ch, state_.catalogue.genres, index.column());
    case Qt::ToolTipRole: return plain_tooltip(cell_text(ch, state_.catalogue.genres, index.column()));
    case Qt::BackgroundRole: return row_background(ch);
    case Qt::DecorationRole: {
      const int picture = state_picture_index(ch);
      if (index.column() != kColumnChannel || picture < 0) return {};
      return state_pictures_[picture];
    }
    case kPositionRole: return p;
    case kStateRole: return state_picture_index(ch);
    default: return {};
  }
}

QVariant ChannelTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
    return section < kColumnCount ? column_caption(section)
           : number_text_ && section == kColumnCount ? QStringLiteral("No.")
                                                     : extra_caption_;
  return {};
}

Qt::ItemFlags ChannelTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}
