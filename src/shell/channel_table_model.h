#pragma once
#include "shell/app_state.h"

#include <QAbstractTableModel>
#include <QIcon>

#include <array>
#include <functional>

// The channel list as a virtual list: it holds only a row count; row r shows the channel at
// state.visible[r], and every text is made when the view asks for it.
class ChannelTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit ChannelTableModel(const AppState& state, QObject* parent = nullptr);

  // The list's row count; the view forgets its selection. Counts beyond the visible list are cut.
  void set_row_count(int rows);
  int row_count() const { return rows_; }
  // The channel-array position that a row shows, or -1 when there is none.
  int channel_position(int row) const;
  // A further column after the channel's own, its text made only for the rows the view asks for
  // (the programme guide's "Now"); an empty `text` removes it.
  void set_extra_column(const QString& caption, std::function<QString(int position)> text);
  bool has_extra_column() const { return static_cast<bool>(extra_text_); }
  // The channel's number (tvg-chno), right after the channel's own columns and before the further
  // one; shown and taken away by inserting and removing the column, not by a reset, so that the
  // view keeps its selection. An empty `text` removes it.
  void set_number_column(std::function<QString(int position)> text);
  bool has_number_column() const { return static_cast<bool>(number_text_); }
  int number_column() const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // Role under which data() gives the row's channel-array position.
  static constexpr int kPositionRole = Qt::UserRole + 1;
  // Role under which data() gives the row's state picture index (0 to 5, or -1).
  static constexpr int kStateRole = Qt::UserRole + 2;

 private:
  const AppState& state_;
  int rows_ = 0;
  std::array<QIcon, 7> state_pictures_;
  QString extra_caption_;
  std::function<QString(int position)> extra_text_;
  std::function<QString(int position)> number_text_;
};
