#pragma once
#include "playlists/playlist_sources.h"

#include <QDialog>

#include <vector>

class QComboBox;
class QListWidget;
class QPushButton;

// "Playlists": the playlists added, with what the user can do to each (rename, move to a view,
// read again, remove). It changes nothing itself: it asks, and the caller shows the list again.
class PlaylistsDialog : public QDialog {
  Q_OBJECT
 public:
  explicit PlaylistsDialog(const std::vector<PlaylistSource>& sources, QWidget* parent = nullptr);
  void show_sources(const std::vector<PlaylistSource>& sources);

  QListWidget* list() const { return list_; }

 Q_SIGNALS:
  void rename_requested(uint16_t id, const QString& name);
  void group_requested(uint16_t id, int32_t group);
  void refresh_requested(uint16_t id);
  void remove_requested(uint16_t id);

 private:
  int selected_id() const;  // -1 when none
  void selection_changed();

  std::vector<PlaylistSource> sources_;
  QListWidget* list_;
  QComboBox* group_;
  QPushButton* rename_;
  QPushButton* refresh_;
  QPushButton* remove_;
};
