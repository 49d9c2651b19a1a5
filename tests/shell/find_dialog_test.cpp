#include "dialogs/find_dialog.h"
#include "shell/command_wiring.h"
#include "shell/main_window.h"
#include "shell_fixture.h"
#include "widgets/messages.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace shell_test;

namespace {
struct SearchFixture : ::testing::Test {
  AppState state = state_with_names({QStringLiteral("Radio FM"), QStringLiteral("Rock"), QStringLiteral("Kiss fm")});
  MainWindow window{state};
  std::vector<int> loaded_rows;
  RecordingMessageSink sink;

  void SetUp() override {
    wire_commands(window, {});
    window.hooks().load_row = [this](int row) { loaded_rows.push_back(row); };
    window.rebuild_view();
    window.show();
    QCoreApplication::processEvents();
  }
  void TearDown() override { window.find_dialog()->hide(); }
  void press(QWidget* target, int key, Qt::KeyboardModifiers modifiers) {
    QKeyEvent event(QEvent::KeyPress, key, modifiers, key == Qt::Key_F ? QStringLiteral("f") : QString());
    QApplication::sendEvent(target, &event);
  }
  void find_next(const QString& text) {
    window.find_dialog()->find_edit()->setText(text);
    window.find_dialog()->find_next_button()->click();
  }
};
}  // namespace

TEST(FindShortcut, CtrlFWithAnyFurtherModifiers) {
  EXPECT_TRUE(is_find_shortcut(Qt::Key_F, Qt::ControlModifier));
  EXPECT_TRUE(is_find_shortcut(Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier));
  EXPECT_TRUE(is_find_shortcut(Qt::Key_F, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier));
  EXPECT_FALSE(is_find_shortcut(Qt::Key_F, Qt::NoModifier));
  EXPECT_FALSE(is_find_shortcut(Qt::Key_F, Qt::ShiftModifier));
  EXPECT_FALSE(is_find_shortcut(Qt::Key_G, Qt::ControlModifier));
}

TEST_F(SearchFixture, CtrlFAndCtrlShiftFOpenTheDialogAndRestartTheSearch) {
  state.search_position = 2;
  press(window.channel_list(), Qt::Key_F, Qt::ControlModifier);
  EXPECT_TRUE(window.find_dialog()->isVisible());
  EXPECT_EQ(state.search_position, 0);
  window.find_dialog()->hide();

  state.search_position = 2;
  press(window.countries(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(window.find_dialog()->isVisible());
  EXPECT_EQ(state.search_position, 0);
  window.find_dialog()->hide();

  state.search_position = 2;
  press(window.channel_list(), Qt::Key_F, Qt::NoModifier);  // F alone goes to the control
  EXPECT_FALSE(window.find_dialog()->isVisible());
  EXPECT_EQ(state.search_position, 2);
}

TEST_F(SearchFixture, FindNextSelectsAndLoadsEachHitThenReportsTheMiss) {
  window.findChild<QToolButton*>("SearchButton")->click();
  ASSERT_TRUE(window.find_dialog()->isVisible());
  EXPECT_TRUE(window.find_dialog()->down_button()->isChecked()) << "the dialog opens going down";

  find_next(QStringLiteral("fm"));
  EXPECT_EQ(window.selected_row(), 0);
  EXPECT_EQ(window.channel_label()->text(), QStringLiteral("<P align=\"right\">Radio FM</P>"));
  EXPECT_EQ(loaded_rows.back(), 0) << "the hit is loaded into the player";
  find_next(QStringLiteral("fm"));
  EXPECT_EQ(window.selected_row(), 2);
  EXPECT_TRUE(window.find_dialog()->isVisible()) << "the dialog stays open";
  EXPECT_TRUE(sink.shown.empty());

  find_next(QStringLiteral("fm"));
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].text, QStringLiteral("Could not find \"fm\""));
  EXPECT_EQ(window.selected_row(), 2) << "a miss changes nothing";

  // Reopening starts again from the first row.
  window.open_find_dialog();
  find_next(QStringLiteral("fm"));
  EXPECT_EQ(window.selected_row(), 0);
}

TEST_F(SearchFixture, AHitOnTheSelectedRowLoadsItsChannelAgain) {
  loaded_rows.clear();
  window.select_row(0);
  ASSERT_EQ(loaded_rows, std::vector<int>({0}));
  loaded_rows.clear();
  window.open_find_dialog();
  find_next(QStringLiteral("Radio"));
  EXPECT_EQ(window.selected_row(), 0);
  EXPECT_EQ(loaded_rows, std::vector<int>({-1, 0})) << "cleared, then selected: loaded like any other hit";
  EXPECT_EQ(window.channel_label()->text(), QStringLiteral("<P align=\"right\">Radio FM</P>"));
  EXPECT_TRUE(sink.shown.empty());
}

TEST_F(SearchFixture, TheDialogKeepsTextAndChoicesBetweenOpenings) {
  window.open_find_dialog();
  FindDialog* dialog = window.find_dialog();
  dialog->find_edit()->setText(QStringLiteral("Kiss"));
  dialog->up_button()->setChecked(true);
  dialog->match_case_box()->setChecked(true);
  dialog->hide();
  window.open_find_dialog();
  EXPECT_EQ(dialog->find_edit()->text(), QStringLiteral("Kiss"));
  EXPECT_TRUE(dialog->up_button()->isChecked());
  EXPECT_TRUE(dialog->match_case_box()->isChecked());
  EXPECT_FALSE(dialog->isModal());

  // Up right after opening looks at row 0 only.
  dialog->find_next_button()->click();
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].text, QStringLiteral("Could not find \"Kiss\""));
}
