#include "dialog_fixture.h"
#include "dialogs/channel_dialog.h"
#include "dialogs/filter_dialog.h"
#include "shell/channel_table_model.h"
#include "shell/command_wiring.h"
#include "shell/links.h"
#include "shell/main_window.h"
#include "widgets/click_label.h"
#include "widgets/messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {
struct WiredWindow : ::testing::Test {
  AppState state = dialogs_test::small_state();
  MainWindow window{state};
  struct {
    FilterDialog* filter_dialog;
    ChannelDialog* channel_dialog;
  } dialogs{new FilterDialog(state, {}, &window), new ChannelDialog(state, {}, &window)};

  void SetUp() override {
    state.catalogue.filter.group_id = kGroupTV;  // rows: "Mine", "Zulu TV"
    wire_commands(window, {.filter_dialog = dialogs.filter_dialog, .channel_dialog = dialogs.channel_dialog});
    window.rebuild_view();
    window.show();
  }
  // Runs `inside` once the modal dialog that the next command opens is running.
  void when_open(std::function<void()> inside) { QTimer::singleShot(0, &window, std::move(inside)); }
  void click_button(const char* name) { window.findChild<QToolButton*>(QLatin1String(name))->click(); }
};
}  // namespace

TEST_F(WiredWindow, FilterButtonOpensTheDialogAndSetFilterRebuildsTheList) {
  ASSERT_EQ(window.model()->rowCount(), 2);
  bool opened = false;
  when_open([&] {
    opened = dialogs.filter_dialog->isVisible();
    dialogs.filter_dialog->findChild<QCheckBox*>("NameCheckBox")->click();
    dialogs.filter_dialog->findChild<QLineEdit*>("NameEdit")->setText("Zulu");
    dialogs.filter_dialog->findChild<QPushButton*>("SetFilterButton")->click();
  });
  click_button("FilterButton");
  EXPECT_TRUE(opened);
  EXPECT_TRUE(state.catalogue.filter.name_flag);
  EXPECT_EQ(window.model()->rowCount(), 1);
  EXPECT_TRUE(window.clear_filter_label()->isVisibleTo(&window));
}

TEST_F(WiredWindow, AddButtonAddsAChannelThatTheListShows) {
  when_open([&] {
    ChannelDialog& add = *dialogs.channel_dialog;
    add.findChild<QComboBox*>("CategoryCombo")->setCurrentIndex(1);
    add.findChild<QLineEdit*>("NameEdit")->setText("New TV");
    add.findChild<QLineEdit*>("UrlEdit")->setText("http://new.example/tv");
    add.findChild<QComboBox*>("TypeCombo")->setCurrentIndex(1);
    add.findChild<QComboBox*>("CountryCombo")->setCurrentIndex(1);
    add.findChild<QComboBox*>("GenreCombo")->setCurrentIndex(1);
    add.findChild<QCheckBox*>("ConfirmCheckBox")->setChecked(true);
    add.findChild<QPushButton*>("AddChannelButton")->click();
  });
  click_button("SubmitButton");
  EXPECT_EQ(window.model()->rowCount(), 3);
  EXPECT_EQ(state.catalogue.highest_user_id, 100002);
}

TEST_F(WiredWindow, UpdateChannelExplainsCatalogueChannelsWithTheSupportAddress) {
  RecordingMessageSink sink;
  window.hooks().update_channel(1);  // "Zulu TV", from the catalogue
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].kind, MessageKind::Information);
  EXPECT_TRUE(sink.shown[0].text.contains("by email " + support_mail_address() + ".  Update will"));
  EXPECT_FALSE(dialogs.channel_dialog->isVisible());

  QString shown_name;
  when_open([&] {
    shown_name = dialogs.channel_dialog->findChild<QLineEdit*>("NameEdit")->text();
    dialogs.channel_dialog->reject();
  });
  window.hooks().update_channel(0);  // "Mine", the user's own
  EXPECT_EQ(shown_name, "Mine");
  window.hooks().update_channel(-1);  // no selection: nothing at all
  EXPECT_EQ(sink.shown.size(), 1u);
}

TEST_F(WiredWindow, UpdateChannelEditsTheSelectedRecordWhenACatalogueChannelSharesItsId) {
  RecordingMessageSink sink;
  // Catalogues of more than 100 000 channels use the ids of the user's range too.
  auto& channels = state.catalogue.channels;
  channels.insert(channels.begin(), dialogs_test::channel(100001, "Able TV", "http://able.example/", kGroupTV));
  window.rebuild_view();  // rows: "Able TV", "Mine", "Zulu TV"

  QString shown_name;
  when_open([&] {
    ChannelDialog& add = *dialogs.channel_dialog;
    auto* name = add.findChild<QLineEdit*>("NameEdit");
    shown_name = name->text();
    name->setText("Mine, renamed");
    add.findChild<QCheckBox*>("ConfirmCheckBox")->setChecked(true);
    add.findChild<QPushButton*>("AddChannelButton")->click();
    if (add.isVisible()) add.reject();
  });
  window.hooks().update_channel(1);
  EXPECT_EQ(shown_name.toStdString(), "Mine");
  EXPECT_TRUE(sink.shown.empty());
  EXPECT_EQ(channels[0].name.text().toStdString(), "Able TV");
  EXPECT_EQ(channels[0].user_defined, 0);
  EXPECT_EQ(channels[2].name.text().toStdString(), "Mine, renamed");
  EXPECT_EQ(channels[2].user_defined, 1);
}
