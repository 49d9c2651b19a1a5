// The windows come back where the user left them, with the list's column widths.
#include "guide/guide_panel.h"
#include "settings/settings_store.h"
#include "shell/guide_hookup.h"
#include "shell/main_window.h"
#include "shell/window_memory.h"
#include "shell_fixture.h"
#include "widgets/messages.h"

#include <QSettings>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

using namespace shell_test;

TEST(WindowMemory, PlacesAndColumnWidthsComeBackAtTheNextStart) {
  RecordingMessageSink sink;
  AppState state = state_with_names({QStringLiteral("One")});
  const QRect main_place(40, 30, 900, 650), guide_place(500, 120, 560, 600);
  QSize guide_size;
  {
    MainWindow window{state};
    auto* guide = new GuideHookup(window);
    window.setGeometry(main_place);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.channel_list()->setColumnWidth(1, 173);
    guide->panel().setGeometry(guide_place);
    guide->panel().show();
    guide_size = guide->panel().size();  // at least its smallest
    save_window_memory(window, *guide);
  }
  MainWindow window{state};
  auto* guide = new GuideHookup(window);
  restore_window_memory(window, *guide);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_EQ(window.geometry().size(), main_place.size());
  EXPECT_EQ(window.channel_list()->columnWidth(1), 173);
  EXPECT_EQ(guide->panel().geometry().size(), guide_size);

  // Nothing stored, or something unreadable: the window keeps its own first place.
  change_settings_file(QStringLiteral("test"), [](QSettings& s) { s.setValue("Window/Main", "not a place"); });
  MainWindow fresh{state};
  const QSize first = fresh.size();
  GuideHookup* fresh_guide = new GuideHookup(fresh);
  restore_window_memory(fresh, *fresh_guide);
  EXPECT_EQ(fresh.size(), first);
}
