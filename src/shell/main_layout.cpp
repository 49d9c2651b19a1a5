#include "shell/main_layout.h"

#include <algorithm>

namespace main_layout {

Geometry layout_for(QSize client, int status_text_width, int channel_text_width, int logo_width) {
  const int w = client.width();
  const int h = client.height();
  Geometry g;
  g.right_click = {kRightClickLeft, h - 18};
  g.clear_filter = {kClearFilterLeft, h - 18};
  g.list = QRect(kListLeft, kListTop, kListWidth, std::max(0, h - kListTop - 20));

  const int panel_w = std::max(0, w - kPlayerLeft - 10);
  const int panel_h = std::max(0, h - kPlayerTop - 57);
  g.player_panel = QRect(kPlayerLeft, kPlayerTop, panel_w, panel_h);
  const int video_w = std::max(0, panel_w - 20);
  g.video_area = QRect(kVideoOrigin, QSize(video_w, std::max(0, panel_h - 35)));

  const int label_top = panel_h + kPlayerTop - 65;
  const int status_w = std::max(kLabelWidth, status_text_width);
  g.status_label = QRect(kVideoOrigin.x(), label_top, status_w, kLabelHeight);
  const int room = video_w - status_w - 10;
  const int logo_w = std::clamp(logo_width, 0, std::min(kLogoMaxWidth, std::max(0, room - kLabelWidth - kLogoGap)));
  const int logo_room = logo_w > 0 ? logo_w + kLogoGap : 0;
  const int room_for_channel = std::max(kLabelWidth, room - logo_room);
  const int channel_w = std::clamp(channel_text_width, logo_w > 0 ? 0 : kLabelWidth, room_for_channel);
  g.channel_label = QRect(kVideoOrigin.x() + video_w - channel_w, label_top, channel_w, kLabelHeight);
  if (logo_w > 0) g.channel_logo = QRect(g.channel_label.left() - kLogoGap - logo_w, label_top, logo_w, kLabelHeight);

  g.buttons_panel = QRect(QPoint(kButtonsLeft, h - 53), kButtonsSize);
  g.site_link = QPoint(w, h) - kSiteLinkFromCorner;
  g.mail_link = QPoint(w, h) - kMailLinkFromCorner;
  return g;
}

QSize logo_size_for(QSize picture) {
  if (picture.isEmpty()) return {};
  const QSize fit = picture.scaled(kLogoMaxWidth, kLabelHeight, Qt::KeepAspectRatio);
  return {std::max(1, fit.width()), std::max(1, fit.height())};
}

}  // namespace main_layout
