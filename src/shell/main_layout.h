#pragma once
#include <QPoint>
#include <QRect>
#include <QSize>

#include <array>

// Where every region of the main window goes for a given client size. Positions of the player
// panel's children are relative to the player panel; everything else to the client area.
// Extra width goes to the player panel, extra height to the list and the player panel; sizes
// that would turn negative on a tiny window stay at zero.
namespace main_layout {

inline constexpr QSize kClientSize{999, 489};
inline constexpr std::array<int, 6> kLargeButtonLefts{17, 77, 137, 197, 257, 322};
inline constexpr int kLargeButtonTop = 2;
inline constexpr QSize kLargeButtonSize{61, 80};
inline constexpr QRect kCountries{16, 83, 335, 19};
inline constexpr QRect kSearchButton{357, 87, 17, 16};
inline constexpr QRect kFilterButton{376, 86, 17, 16};
inline constexpr int kListLeft = 15;
inline constexpr int kListTop = 110;
inline constexpr int kListWidth = 386;
inline constexpr int kClearFilterLeft = 16;
inline constexpr int kRightClickLeft = 305;
inline constexpr int kPlayerLeft = 415;
inline constexpr int kPlayerTop = 44;
inline constexpr QPoint kVideoOrigin{10, 11};
inline constexpr int kLabelWidth = 65;  // the smallest width of the status and channel labels
inline constexpr int kLabelHeight = 17;
// The channel's logo before its name: as tall as the label, at most three times as wide.
inline constexpr int kLogoMaxWidth = 3 * kLabelHeight;
inline constexpr int kLogoGap = 4;
inline constexpr int kButtonsLeft = 410;
inline constexpr QSize kButtonsSize{206, 45};
inline constexpr std::array<int, 5> kColumnWidths{85, 85, 45, 40, 120};
// The links keep their distance from the right edge and the bottom.
inline constexpr QPoint kSiteLinkFromCorner{180, 40};
inline constexpr QPoint kMailLinkFromCorner{165, 25};
// The smallest client area: the links, which follow the right edge, stay clear of the list and of
// the player buttons beside it; the list keeps a few rows and the video area some picture.
inline constexpr QSize kMinimumClientSize{kButtonsLeft + kButtonsSize.width() + 10 + kSiteLinkFromCorner.x(), 300};
inline constexpr int kRebuiltCommentsWidth = 110;

struct Geometry {
  QRect list;
  QPoint clear_filter;
  QPoint right_click;
  QRect player_panel;
  QRect video_area;       // in the player panel
  QRect status_label;     // in the player panel
  QRect channel_label;    // in the player panel; its right edge is the video area's right edge
  QRect channel_logo;     // in the player panel, just before the name; empty without a logo
  QRect buttons_panel;
  QPoint site_link;
  QPoint mail_link;
};

// The resize rule. The label widths are what the two labels need for their texts; each is given
// at least the design width, and the channel label never reaches over the status label. With a
// logo (its width, at most kLogoMaxWidth) the name keeps to its own width, so the logo stands just
// before it, and the two never reach over the status label.
Geometry layout_for(QSize client, int status_text_width = kLabelWidth, int channel_text_width = kLabelWidth,
                    int logo_width = 0);
// The size a logo of that size is shown at before the name: within kLogoMaxWidth by kLabelHeight,
// its proportions kept; empty for none.
QSize logo_size_for(QSize picture);

}  // namespace main_layout
