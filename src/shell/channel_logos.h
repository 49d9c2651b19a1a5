#pragma once
#include <QObject>
#include <QString>

#include <functional>
#include <string>

struct Channel;
class GuidePanel;
class LogoCache;
class MainWindow;
class QImage;

// The logo of the channel in the player, before its name in the player bar and in the guide
// window. Only that one channel's logo is ever asked for, when it comes into the player: the list
// itself never waits for a logo nor fetches one.
class ChannelLogos : public QObject {
  Q_OBJECT
 public:
  // A channel's logo address where it has one (a playlist's tvg-logo); empty for none.
  using LogoOf = std::function<std::string(const Channel& channel)>;
  // `guide` may be null. The logos' copies go into `folder`.
  ChannelLogos(MainWindow& window, GuidePanel* guide, LogoOf logo_of, const QString& folder);
  ~ChannelLogos() override;

  LogoCache& cache() { return *cache_; }

 private:
  void show_selected_channel();
  void show(const QImage& logo);

  MainWindow& window_;
  GuidePanel* guide_;
  LogoOf logo_of_;
  LogoCache* cache_ = nullptr;
  QString wanted_;  // the address of the logo the screens wait for; empty: none
};
