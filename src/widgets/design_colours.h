#pragma once
#include <QColor>

class QPalette;

// The windows' own colours, in the desktop's light or dark scheme: in a light one the design as it
// always was; in a dark one the same design in dark colours, every text at least 4.5:1 against what
// it stands on, so that the desktop's dark fields, lists and boxes sit on panels of their kind.
struct DesignColours {
  QColor outside;        // around the main panel
  QColor panel;          // the panels of the main window and its dialogs
  QColor frame;          // the panels' one-pixel frame, the hover and focus edges
  QColor caption;        // buttons' and check boxes' captions, the list's text, the splash text
  QColor greyed;         // a disabled check box's caption
  QColor hover;          // under the pointer
  QColor pressed;
  QColor list;           // the list's rows
  QColor user_row;       // the rows of the user's own channels
  QColor grid;
  QColor header;         // the list's column captions
  QColor header_edge;
  QColor menu;           // the channel menu
  QColor menu_edge;
  QColor menu_selected;
  QColor menu_greyed;
  QColor separator;
  QColor scroll_handle;
  QColor alert;          // "Clear Filter", the add dialog's test link
  QColor hint;           // "use right-click menu"
  QColor link;           // the site and mail links
};

// Whether a palette is a dark scheme's: its window darker than the text on it.
bool is_dark_scheme(const QPalette& palette);
const DesignColours& design_colours(bool dark);
// For the application's palette as it is now.
const DesignColours& design_colours();
// The contrast of two colours as the web's accessibility guidelines measure it (1 to 21).
double contrast_ratio(const QColor& a, const QColor& b);
