#include "shell/channel_logos.h"

#include "catalogue/records.h"
#include "guide/guide_panel.h"
#include "services/logo_cache.h"
#include "shell/channel_table_model.h"
#include "shell/main_window.h"

#include <QAbstractItemModel>
#include <QImage>
#include <QItemSelectionModel>
#include <QTableView>

ChannelLogos::ChannelLogos(MainWindow& window, GuidePanel* guide, LogoOf logo_of, const QString& folder)
    : QObject(&window), window_(window), guide_(guide), logo_of_(std::move(logo_of)) {
  cache_ = new LogoCache(folder, this);
  connect(cache_, &LogoCache::ready, this, [this](const QString& address, const QImage& logo) {
    if (address == wanted_) show(logo);
  });
  // After the window's own handlers, which take the last channel's logo away with its name; a
  // rebuilt list has no channel in the player.
  connect(window.channel_list()->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &ChannelLogos::show_selected_channel);
  connect(window.model(), &QAbstractItemModel::modelReset, this, &ChannelLogos::show_selected_channel);
}

ChannelLogos::~ChannelLogos() = default;

void ChannelLogos::show_selected_channel() {
  const int position = window_.selected_channel_position();
  const std::string address =
      position >= 0 && logo_of_ ? logo_of_(window_.state().catalogue.channels[static_cast<size_t>(position)]) : std::string();
  wanted_ = QString::fromStdString(address);
  if (wanted_.isEmpty()) return show(QImage());
  // Known already (or known to be none): shown with the name. Else the name goes first, alone.
  const std::optional<QImage> known = cache_->logo(wanted_);
  show(known.value_or(QImage()));
}

void ChannelLogos::show(const QImage& logo) {
  window_.show_channel_logo(logo);
  if (guide_) guide_->show_logo(logo);
}
