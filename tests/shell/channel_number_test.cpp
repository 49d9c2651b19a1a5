// Channel numbers in the list: the "No." column while the view has any, and digits typed over the
// list that select the channel with that number.
#include "shell/channel_number_column.h"
#include "shell/channel_numbers.h"
#include "shell/channel_table_model.h"
#include "shell/main_window.h"
#include "shell/playlist_flows.h"
#include "shell_fixture.h"
#include "test_env.h"
#include "widgets/messages.h"

#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>

using namespace shell_test;

namespace {
class ChannelNumbers : public testing::Test {
 protected:
  RecordingMessageSink sink;
  AppState state = state_with_names({QStringLiteral("Catalogue channel")});
  MainWindow window{state};
  PlaylistFlows playlists{window};
  ChannelNumberColumn* numbers = new ChannelNumberColumn(window);

  void add(const char* name, const std::string& text) {
    const QString file = quovi_test::sandbox_root() + "/" + name;
    ASSERT_TRUE(quovi_test::write_all(file, QByteArray::fromStdString(text)));
    playlists.add_file(file);
  }
  QString selected_name() {
    const int p = window.selected_channel_position();
    return p < 0 ? QString() : state.catalogue.channels[static_cast<size_t>(p)].name.text();
  }
  QString header(int column) { return window.model()->headerData(column, Qt::Horizontal).toString(); }
};
}  // namespace

TEST_F(ChannelNumbers, TheColumnShowsWhileTheViewHasNumbers) {
  window.rebuild_view();
  EXPECT_FALSE(window.model()->has_number_column());
  EXPECT_FALSE(view_has_numbers(state));

  add("numbered.m3u",
      "#EXTM3U\n#EXTINF:-1 tvg-chno=\"101\",Hundred and one\nhttp://127.0.0.1:9/a\n"
      "#EXTINF:-1 tvg-chno=\"7\",Seven\nhttp://127.0.0.1:9/b\n#EXTINF:-1,No number\nhttp://127.0.0.1:9/c\n");
  ASSERT_TRUE(window.model()->has_number_column());
  EXPECT_EQ(header(window.model()->number_column()), "No.");
  std::vector<QString> shown;
  for (int row = 0; row < window.model()->row_count(); ++row)
    if (!window.model()->index(row, window.model()->number_column()).data().toString().isEmpty())
      shown.push_back(window.model()->index(row, window.model()->number_column()).data().toString());
  std::sort(shown.begin(), shown.end());
  EXPECT_EQ(shown, (std::vector<QString>{"101", "7"}));

  // A view of channels without numbers has no such column.
  for (size_t p = 0; p < state.catalogue.channels.size(); ++p)
    if (state.catalogue.channels[p].source == 0) state.visible = {static_cast<int>(p)};
  window.model()->set_row_count(1);
  EXPECT_FALSE(window.model()->has_number_column());
}

TEST_F(ChannelNumbers, DigitsTypedOverTheListSelectThatNumber) {
  add("numbered.m3u",
      "#EXTM3U\n#EXTINF:-1 tvg-chno=\"101\",Hundred and one\nhttp://127.0.0.1:9/a\n"
      "#EXTINF:-1 tvg-chno=\"1\",One\nhttp://127.0.0.1:9/b\n#EXTINF:-1 tvg-chno=\"10\",Ten\nhttp://127.0.0.1:9/c\n");
  ASSERT_TRUE(window.model()->has_number_column());
  window.show();
  // Each digit jumps as it is typed: 1, then 10, then 101.
  QTest::keyClick(window.channel_list(), Qt::Key_1);
  EXPECT_EQ(selected_name(), "One");
  QTest::keyClick(window.channel_list(), Qt::Key_0);
  EXPECT_EQ(selected_name(), "Ten");
  QTest::keyClick(window.channel_list(), Qt::Key_1, Qt::KeypadModifier);
  EXPECT_EQ(selected_name(), "Hundred and one");
  // A number no channel has leaves the selection where it was.
  QTest::keyClick(window.channel_list(), Qt::Key_5);
  EXPECT_EQ(row_of_number(state, 5), -1);
  EXPECT_EQ(selected_name(), "Hundred and one");
}

TEST(TypedNumber, DigitsMakeOneNumberUntilAPause) {
  TypedNumber typed;
  EXPECT_EQ(typed.add(1, 1000), 1u);
  EXPECT_EQ(typed.add(2, 1500), 12u);
  EXPECT_EQ(typed.add(3, 1500 + TypedNumber::kDigitPause), 123u);
  EXPECT_EQ(typed.add(4, 3001 + TypedNumber::kDigitPause), 4u);  // after the pause, a new number
  TypedNumber long_one;
  for (int i = 0; i < 9; ++i) long_one.add(9, 0);
  EXPECT_EQ(long_one.add(5, 0), 5u);  // a tenth digit starts anew
}
