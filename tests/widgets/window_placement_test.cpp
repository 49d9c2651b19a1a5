#include "widgets/window_placement.h"

#include <gtest/gtest.h>

namespace {
TEST(WindowBeside, OpensBesideTheMainWindowWhereThereIsRoomElseOverIt) {
  const QRect screen(0, 0, 1920, 1080);
  const QSize guide(560, 640);
  struct Case {
    const char* what;
    QRect main_window;
    QSize size;
    QPoint expected;
  } cases[] = {
      {"room on the right", {100, 50, 900, 700}, guide, {1000, 50}},
      {"right edge exactly", {460, 50, 900, 700}, guide, {1360, 50}},
      {"no room right, room left", {800, 100, 900, 700}, guide, {240, 100}},
      {"low on the screen: moved up to stay whole", {100, 600, 900, 400}, guide, {1000, 440}},
      {"no room either side: over it, centred", {200, 100, 1500, 800}, guide, {670, 180}},
      {"main window partly off the screen: pulled onto it", {-700, 100, 900, 700}, {1800, 640}, {0, 130}},
      {"taller than the screen: title bar kept on it", {100, 50, 900, 700}, {560, 1300}, {1000, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(window_beside(c.main_window, c.size, screen), c.expected);
  }
}

TEST(WindowBeside, KeepsToTheScreenItIsGiven) {
  // A second screen to the right of the first, its available area below a panel.
  const QRect screen(1920, 30, 1280, 994);
  EXPECT_EQ(window_beside({2000, 100, 600, 500}, {560, 640}, screen), QPoint(2600, 100));
  EXPECT_EQ(window_beside({2500, 10, 700, 500}, {560, 640}, screen), QPoint(1940, 30));
}
}  // namespace
