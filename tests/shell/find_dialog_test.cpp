#include "shell/find_dialog.h"
#include "shell/main_form.h"
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
  T_mainForm form{state};
  std::vector<int> loaded_rows;
  RecordingMessageSink sink;

  void SetUp() override {
    form.hooks().load_row = [this](int row) { loaded_rows.push_back(row); };
    form.rebuild_view();
    form.show();
    QCoreApplication::processEvents();
  }
  void TearDown() override { form.find_dialog()->hide(); }
  void press(QWidget* target, int key, Qt::KeyboardModifiers modifiers) {
    QKeyEvent event(QEvent::KeyPress, key, modifiers, key == Qt::Key_F ? QStringLiteral("f") : QString());
    QApplication::sendEvent(target, &event);
  }
  void find_next(const QString& text) {
    form.find_dialog()->find_edit()->setText(text);
    form.find_dialog()->find_next_button()->click();
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
  press(form.channel_list(), Qt::Key_F, Qt::ControlModifier);
  EXPECT_TRUE(form.find_dialog()->isVisible());
  EXPECT_EQ(state.search_position, 0);
  form.find_dialog()->hide();

  state.search_position = 2;
  press(form.countries(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(form.find_dialog()->isVisible());
  EXPECT_EQ(state.search_position, 0);
  form.find_dialog()->hide();

  state.search_position = 2;
  press(form.channel_list(), Qt::Key_F, Qt::NoModifier);  // F alone goes to the control
  EXPECT_FALSE(form.find_dialog()->isVisible());
  EXPECT_EQ(state.search_position, 2);
}

TEST_F(SearchFixture, FindNextSelectsAndLoadsEachHitThenReportsTheMiss) {
  form.findChild<QToolButton*>("SearchAdvToolButton")->click();
  ASSERT_TRUE(form.find_dialog()->isVisible());
  EXPECT_TRUE(form.find_dialog()->down_button()->isChecked()) << "the dialog opens going down";

  find_next(QStringLiteral("fm"));
  EXPECT_EQ(form.selected_row(), 0);
  EXPECT_EQ(form.channel_label()->text(), QStringLiteral("<P align=\"right\">Radio FM</P>"));
  EXPECT_EQ(loaded_rows.back(), 0) << "the hit is loaded into the player";
  find_next(QStringLiteral("fm"));
  EXPECT_EQ(form.selected_row(), 2);
  EXPECT_TRUE(form.find_dialog()->isVisible()) << "the dialog stays open";
  EXPECT_TRUE(sink.shown.empty());

  find_next(QStringLiteral("fm"));
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].text, QStringLiteral("Could not find \"fm\""));
  EXPECT_EQ(form.selected_row(), 2) << "a miss changes nothing";

  // Reopening starts again from the first row.
  form.SearchAdvToolButtonClick();
  find_next(QStringLiteral("fm"));
  EXPECT_EQ(form.selected_row(), 0);
}

TEST_F(SearchFixture, TheDialogKeepsTextAndChoicesBetweenOpenings) {
  form.SearchAdvToolButtonClick();
  FindDialog* dialog = form.find_dialog();
  dialog->find_edit()->setText(QStringLiteral("Kiss"));
  dialog->up_button()->setChecked(true);
  dialog->match_case_box()->setChecked(true);
  dialog->hide();
  form.SearchAdvToolButtonClick();
  EXPECT_EQ(dialog->find_edit()->text(), QStringLiteral("Kiss"));
  EXPECT_TRUE(dialog->up_button()->isChecked());
  EXPECT_TRUE(dialog->match_case_box()->isChecked());
  EXPECT_FALSE(dialog->isModal());

  // Up right after opening looks at row 0 only.
  dialog->find_next_button()->click();
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].text, QStringLiteral("Could not find \"Kiss\""));
}
