// The windows follow the desktop's colour scheme: the design as always in a light one, the same
// design in dark colours in a dark one, with every text readable on what it stands on.
#include "shell/app_state.h"
#include "shell/main_window.h"
#include "widgets/design_colours.h"

#include <QApplication>
#include <QPalette>
#include <QTableView>
#include <gtest/gtest.h>

namespace {
QPalette dark_palette() {
  QPalette p;
  p.setColor(QPalette::Window, QColor(45, 45, 45));
  p.setColor(QPalette::WindowText, QColor(238, 238, 238));
  p.setColor(QPalette::Base, QColor(30, 30, 30));
  p.setColor(QPalette::Text, QColor(238, 238, 238));
  p.setColor(QPalette::Button, QColor(53, 53, 53));
  p.setColor(QPalette::ButtonText, QColor(238, 238, 238));
  return p;
}
}  // namespace

TEST(DesignColours, EveryTextOfTheDarkSchemeIsReadable) {
  const DesignColours& c = design_colours(true);
  const struct {
    const char* what;
    QColor text, ground;
  } pairs[] = {
      {"caption on a panel", c.caption, c.panel},
      {"list text on a row", c.caption, c.list},
      {"list text on a user's row", c.caption, c.user_row},
      {"caption under the pointer", c.caption, c.hover},
      {"caption pressed", c.caption, c.pressed},
      {"column caption", c.caption, c.header},
      {"menu entry", c.caption, c.menu},
      {"menu entry selected", c.caption, c.menu_selected},
      {"Clear Filter", c.alert, c.panel},
      {"hint", c.hint, c.panel},
      {"link", c.link, c.panel},
  };
  for (const auto& p : pairs) EXPECT_GE(contrast_ratio(p.text, p.ground), 4.5) << p.what;
  // And the dark scheme is dark: its panels are not the light ones.
  EXPECT_LT(contrast_ratio(c.panel, QColor(0, 0, 0)), 2.0);
}

TEST(DesignColours, TheLightSchemeIsTheDesignAsItWas) {
  const DesignColours& c = design_colours(false);
  EXPECT_EQ(c.panel, QColor(254, 254, 254));
  EXPECT_EQ(c.frame, QColor(255, 153, 0));
  EXPECT_EQ(c.caption, QColor(8, 55, 114));
  EXPECT_EQ(c.user_row, QColor(192, 220, 192));
  EXPECT_EQ(c.outside, QColor(192, 192, 192));
  EXPECT_DOUBLE_EQ(contrast_ratio(QColor(0, 0, 0), QColor(255, 255, 255)), 21.0);
}

TEST(DesignColours, TheMainWindowTakesTheDesktopsScheme) {
  const QPalette before = QApplication::palette();
  ASSERT_FALSE(is_dark_scheme(before));
  QApplication::setPalette(dark_palette());
  ASSERT_TRUE(is_dark_scheme(QApplication::palette()));
  {
    AppState state;
    MainWindow window(state);
    auto* panel = window.findChild<QWidget*>(QStringLiteral("MainPanel"));
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->palette().color(QPalette::Window), design_colours(true).panel);
    const QPalette list = window.channel_list()->palette();
    EXPECT_GE(contrast_ratio(list.color(QPalette::Text), list.color(QPalette::Base)), 4.5);
  }
  QApplication::setPalette(before);
  AppState state;
  MainWindow window(state);
  EXPECT_EQ(window.findChild<QWidget*>(QStringLiteral("MainPanel"))->palette().color(QPalette::Window),
            QColor(254, 254, 254));
}
