#include "dialog_fixture.h"
#include "services/add_form.h"
#include "shell/channel_dialogs.h"
#include "shell/channel_table_model.h"
#include "shell/links.h"
#include "shell/main_form.h"
#include "views/filter_form.h"
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
  T_mainForm form{state};
  ChannelDialogs dialogs;

  void SetUp() override {
    state.catalogue.info.filter.group_id = kGroupTV;  // rows: "Mine", "Zulu TV"
    dialogs = install_channel_dialogs(form);
    form.rebuild_view();
    form.show();
  }
  // Runs `inside` once the modal dialog that the next command opens is running.
  void when_open(std::function<void()> inside) { QTimer::singleShot(0, &form, std::move(inside)); }
  void click_button(const char* name) { form.findChild<QToolButton*>(QLatin1String(name))->click(); }
};
}  // namespace

TEST_F(WiredWindow, FilterButtonOpensTheDialogAndSetFilterRebuildsTheList) {
  ASSERT_EQ(form.model()->rowCount(), 2);
  bool opened = false;
  when_open([&] {
    opened = dialogs.filter_form->isVisible();
    dialogs.filter_form->findChild<QCheckBox*>("NameALCheckBox")->click();
    dialogs.filter_form->findChild<QLineEdit*>("NameAdvEdit")->setText("Zulu");
    dialogs.filter_form->findChild<QPushButton*>("SetAdvToolButton")->click();
  });
  click_button("FilterAdvToolButton");
  EXPECT_TRUE(opened);
  EXPECT_TRUE(state.catalogue.info.filter.name_flag);
  EXPECT_EQ(form.model()->rowCount(), 1);
  EXPECT_TRUE(form.clear_filter_label()->isVisibleTo(&form));
}

TEST_F(WiredWindow, AddButtonAddsAChannelThatTheListShows) {
  when_open([&] {
    T_addForm& add = *dialogs.add_form;
    add.findChild<QComboBox*>("CategoryAdvComboBox")->setCurrentIndex(1);
    add.findChild<QLineEdit*>("NameAdvEdit")->setText("New TV");
    add.findChild<QLineEdit*>("UrlAdvEdit")->setText("http://new.example/tv");
    add.findChild<QComboBox*>("TypeAdvComboBox")->setCurrentIndex(1);
    add.findChild<QComboBox*>("CountriesAdvComboBox")->setCurrentIndex(1);
    add.findChild<QComboBox*>("GenresAdvComboBox")->setCurrentIndex(1);
    add.findChild<QCheckBox*>("ConfirmCheckBox")->setChecked(true);
    add.findChild<QPushButton*>("AddAdvToolButton")->click();
  });
  click_button("SubmitAdvToolButton");
  EXPECT_EQ(form.model()->rowCount(), 3);
  EXPECT_EQ(state.catalogue.info.ud_max, 100002);
}

TEST_F(WiredWindow, UpdateChannelExplainsCatalogueChannelsWithTheSupportAddress) {
  RecordingMessageSink sink;
  form.hooks().update_channel(1);  // "Zulu TV", from the catalogue
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].kind, MessageKind::Information);
  EXPECT_TRUE(sink.shown[0].text.contains("by email " + support_mail_address() + ".  Update will"));
  EXPECT_FALSE(dialogs.add_form->isVisible());

  QString shown_name;
  when_open([&] {
    shown_name = dialogs.add_form->findChild<QLineEdit*>("NameAdvEdit")->text();
    dialogs.add_form->reject();
  });
  form.hooks().update_channel(0);  // "Mine", the user's own
  EXPECT_EQ(shown_name, "Mine");
  form.hooks().update_channel(-1);  // no selection: nothing at all
  EXPECT_EQ(sink.shown.size(), 1u);
}

TEST_F(WiredWindow, UpdateChannelEditsTheSelectedRecordWhenACatalogueChannelSharesItsId) {
  RecordingMessageSink sink;
  // Catalogues of more than 100 000 channels use the ids of the user's range too.
  auto& channels = state.catalogue.info.channels;
  channels.insert(channels.begin(), dialogs_test::channel(100001, "Able TV", "http://able.example/", kGroupTV));
  form.rebuild_view();  // rows: "Able TV", "Mine", "Zulu TV"

  QString shown_name;
  when_open([&] {
    T_addForm& add = *dialogs.add_form;
    auto* name = add.findChild<QLineEdit*>("NameAdvEdit");
    shown_name = name->text();
    name->setText("Mine, renamed");
    add.findChild<QCheckBox*>("ConfirmCheckBox")->setChecked(true);
    add.findChild<QPushButton*>("AddAdvToolButton")->click();
    if (add.isVisible()) add.reject();
  });
  form.hooks().update_channel(1);
  EXPECT_EQ(shown_name.toStdString(), "Mine");
  EXPECT_TRUE(sink.shown.empty());
  EXPECT_EQ(channels[0].name.text().toStdString(), "Able TV");
  EXPECT_EQ(channels[0].usdef, 0);
  EXPECT_EQ(channels[2].name.text().toStdString(), "Mine, renamed");
  EXPECT_EQ(channels[2].usdef, 1);
}
