#pragma once
#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>

class GuideLibrary;
class QImage;
class QCheckBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTreeWidget;

// The programme guide's window: now and next of the selected channel with the progress of the one
// running, its programmes of today and tomorrow (the description of the one selected), the guide
// sources, and the channel's match. Thin: the texts come from guide_display, the work from the
// GuideLibrary.
class GuidePanel : public QWidget {
  Q_OBJECT
 public:
  explicit GuidePanel(GuideLibrary& library, QWidget* parent = nullptr);

  // The channel the panel is about, by the key its match is kept under (empty: it keeps none). The
  // tvg-id may be empty. `shift`: seconds the channel's guide times are moved by (its playlist's
  // tvg-shift).
  void show_channel(const std::string& match_key, const QString& name, const std::string& tvg_id, int64_t shift = 0);
  void show_no_channel();
  // The channel's logo before its name; a null image: none. Kept until the next call: whoever
  // shows channels shows their logos.
  void show_logo(const QImage& logo);
  // Shows again what is on (the clock moved, the guides changed).
  void refresh_view();
  // The "Now" column's box, as the settings have it.
  void set_now_column(bool shown);
  // The name of the playlist of that id, shown beside the guides it named; none by default.
  std::function<QString(uint16_t playlist)> playlist_name_of;
  // Lists the sources again (the library's changed, or a playlist's name).
  void show_sources();

 Q_SIGNALS:
  void now_column_toggled(bool shown);

 private:
  void build();
  void add_address();
  void add_file();
  // Adds what the user chose, or tells why it cannot be.
  void add_source(const QString& location);
  void set_match();
  void show_progress(const QString& step, qint64 done, qint64 total);

  GuideLibrary& library_;
  bool has_channel_ = false;
  std::string match_key_;
  QString channel_name_;
  std::string tvg_id_;
  int64_t shift_ = 0;
  QLabel* channel_ = nullptr;
  QLabel* logo_ = nullptr;
  QLabel* now_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* next_ = nullptr;
  QTreeWidget* day_ = nullptr;
  QLabel* description_ = nullptr;
  QLabel* match_ = nullptr;
  QListWidget* sources_ = nullptr;
  QLabel* status_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QCheckBox* now_column_ = nullptr;
  QPushButton* set_match_ = nullptr;
  QPushButton* clear_match_ = nullptr;
};
