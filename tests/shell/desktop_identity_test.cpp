#include "shell/desktop_identity.h"

#include <QApplication>
#include <QIcon>
#include <gtest/gtest.h>

namespace {
TEST(DesktopIdentity, NamesTheDesktopFileAndGivesTheWindowsAnIcon) {
  apply_desktop_identity();
  EXPECT_EQ(QGuiApplication::desktopFileName(), "org.talvex.Quovi");
  EXPECT_FALSE(QApplication::windowIcon().pixmap(32, 32).isNull());
}
}  // namespace
