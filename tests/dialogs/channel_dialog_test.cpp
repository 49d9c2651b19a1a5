#include "dialog_fixture.h"
#include "dialogs/channel_commands.h"
#include "dialogs/channel_dialog.h"
#include "services/stream_address.h"
#include "widgets/messages.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QFontInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>

using dialogs_test::small_state;

namespace {
struct AddDialog {
  AppState state = small_state();
  int rebuilds = 0;
  ChannelDialog dialog{state, {[this] { ++rebuilds; }}};

  template <typename W>
  W* get(const char* name) {
    W* w = dialog.findChild<W*>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  QLineEdit* edit(const char* name) { return get<QLineEdit>(name); }
  QComboBox* list(const char* name) { return get<QComboBox>(name); }

  void open_new() {
    dialog.adding_new = true;
    dialog.channel_id = 0;
    dialog.show();
  }
  void open_for(int32_t id) {
    dialog.adding_new = false;
    dialog.channel_id = id;
    dialog.position = position_of(id);
    dialog.show();
  }
  // Everything a valid new channel needs.
  void fill_valid(const QString& url = "http://new.example/stream") {
    list("CategoryCombo")->setCurrentIndex(2);
    edit("NameEdit")->setText("  Middle Radio ");
    edit("UrlEdit")->setText(url);
    edit("BitrateEdit")->setText("128");
    list("TypeCombo")->setCurrentIndex(1);
    edit("HomepageEdit")->setText("http://new.example/");
    list("CountryCombo")->setCurrentText("Germany");
    list("GenreCombo")->setCurrentText("News");
    edit("CommentEdit")->setText("fine");
  }
  void press_add() {
    get<QCheckBox>("ConfirmCheckBox")->setChecked(true);
    get<QPushButton>("AddChannelButton")->click();
  }
  const Channel* find(int32_t id) const {
    for (const Channel& c : state.catalogue.channels)
      if (c.id == id) return &c;
    return nullptr;
  }
  int position_of(int32_t id) const {
    const auto& cs = state.catalogue.channels;
    for (size_t i = 0; i < cs.size(); ++i)
      if (cs[i].id == id) return static_cast<int>(i);
    return -1;
  }
};

std::vector<int32_t> ids_of(const AppState& s) {
  std::vector<int32_t> ids;
  for (const Channel& c : s.catalogue.channels) ids.push_back(c.id);
  return ids;
}
}  // namespace

// The dialog opens over the main window, which has a style sheet; under one Qt hands no font down
// by itself. Each caption is in the dialog's font, shown whole and clear of its field.
TEST(AddDialog, CaptionsTakeTheDialogsFontUnderTheMainWindow) {
  QWidget main_window;
  main_window.setStyleSheet("QToolButton#AnyButton { border: none; }");
  AppState state = small_state();
  ChannelDialog dialog(state, {}, &main_window);
  dialog.show();
  const QFontInfo dialog_font(dialog.font());
  const struct {
    const char* text;
    const char* field;
  } captions[] = {{"Category*", "CategoryCombo"}, {"Name*", "NameEdit"},       {"URL*", "UrlEdit"},
                  {"Bitrate", "BitrateEdit"},     {"Type*", "TypeCombo"},      {"Homepage", "HomepageEdit"},
                  {"Country*", "CountryCombo"},   {"Genre*", "GenreCombo"},    {"Comment", "CommentEdit"},
                  {"Test Channel", nullptr}};
  const QList<QLabel*> labels = dialog.findChildren<QLabel*>();
  for (const auto& c : captions) {
    const auto found = std::find_if(labels.begin(), labels.end(), [&](QLabel* l) { return l->text() == c.text; });
    ASSERT_NE(found, labels.end()) << c.text;
    const QLabel* label = *found;
    EXPECT_EQ(QFontInfo(label->font()).family(), dialog_font.family()) << c.text;
    EXPECT_EQ(QFontInfo(label->font()).pixelSize(), dialog_font.pixelSize()) << c.text;
    const int text_width = label->fontMetrics().horizontalAdvance(label->text());
    EXPECT_GE(label->width(), text_width) << c.text;
    if (!c.field) continue;
    EXPECT_LE(label->x() + text_width, dialog.findChild<QWidget*>(c.field)->x() - 4) << c.text;
  }
  EXPECT_EQ(QFontInfo(dialog.findChild<QWidget*>("NameEdit")->font()).pixelSize(), dialog_font.pixelSize());
}

TEST(AddDialog, WindowControlsAndTabOrder) {
  AddDialog d;
  d.open_new();
  EXPECT_EQ(d.dialog.windowTitle(), "Add/Update Channel");
  EXPECT_EQ(d.dialog.size(), QSize(292, 331));
  EXPECT_EQ(d.edit("UrlEdit")->pos(), QPoint(80, 73));
  EXPECT_EQ(d.list("TypeCombo")->geometry().topLeft(), QPoint(81, 145));
  EXPECT_EQ(d.list("TypeCombo")->width(), 189);
  EXPECT_EQ(d.edit("CommentEdit")->width(), 190);
  EXPECT_EQ(d.get<QLabel>("TestChannelLabel")->pos(), QPoint(191, 99));
  EXPECT_EQ(d.get<QPushButton>("AddChannelButton")->geometry(), QRect(189, 301, 86, 24));
  EXPECT_EQ(d.edit("NameEdit")->maxLength(), 255);

  const char* order[] = {"NameEdit",          "UrlEdit",        "HomepageEdit",     "ConfirmCheckBox",
                         "BitrateEdit",       "CountryCombo", "GenreCombo", "CategoryCombo",
                         "TypeCombo",      "CommentEdit"};
  auto next_tab_stop = [](QWidget* w) {
    do w = w->nextInFocusChain();
    while ((w->focusPolicy() & Qt::TabFocus) == 0 || w->objectName().isEmpty());
    return w;
  };
  for (size_t i = 1; i < std::size(order); ++i)
    EXPECT_EQ(next_tab_stop(d.get<QWidget>(order[i - 1])), d.get<QWidget>(order[i])) << order[i - 1];

  // Entry 0 of both catalogue lists reads "-----"; the others are the table's names.
  EXPECT_EQ(d.list("CountryCombo")->itemText(0), "-----");
  EXPECT_EQ(d.list("GenreCombo")->itemText(0), "-----");
  EXPECT_EQ(d.list("GenreCombo")->itemText(2), "News");
}

TEST(AddDialog, EachShowingStartsUncheckedAndTheBoxAloneEnablesAdd) {
  AddDialog d;
  d.open_new();
  auto* confirm = d.get<QCheckBox>("ConfirmCheckBox");
  auto* add = d.get<QPushButton>("AddChannelButton");
  EXPECT_FALSE(confirm->isChecked());
  EXPECT_FALSE(add->isEnabled());
  EXPECT_EQ(d.dialog.focusWidget(), d.list("CategoryCombo"));
  confirm->click();
  EXPECT_TRUE(add->isEnabled());
  confirm->click();
  EXPECT_FALSE(add->isEnabled());
  confirm->click();
  d.dialog.reject();
  d.open_for(100001);
  EXPECT_FALSE(confirm->isChecked());
  EXPECT_FALSE(add->isEnabled());
  EXPECT_EQ(add->text(), "Add Channel");
}

TEST(AddDialog, ValidationReportsOnlyTheFirstMissingChoiceInOrder) {
  // Each row completes one more field than the one before; the message names the next one.
  struct Step {
    std::function<void(AddDialog&)> complete;
    const char* message;
  };
  const std::vector<Step> steps = {
      {[](AddDialog&) {}, "Please Select a Category."},
      {[](AddDialog& d) {
         d.list("CategoryCombo")->setCurrentIndex(1);
         d.edit("NameEdit")->setText("   ");
       },
       "Please Enter Name."},
      {[](AddDialog& d) { d.edit("NameEdit")->setText("N"); }, "Please Enter URL."},
      {[](AddDialog& d) { d.edit("UrlEdit")->setText(" \t"); }, "Please Enter URL."},
      {[](AddDialog& d) { d.edit("UrlEdit")->setText("http://x.example/"); }, "Please Select a Type."},
      {[](AddDialog& d) { d.list("TypeCombo")->setCurrentIndex(2); }, "Please Select a Country."},
      {[](AddDialog& d) { d.list("CountryCombo")->setCurrentIndex(1); }, "Please Select a Genre."},
  };
  AddDialog d;
  d.open_new();
  for (const Step& step : steps) {
    RecordingMessageSink sink;
    step.complete(d);
    d.press_add();
    ASSERT_EQ(sink.shown.size(), 1u) << step.message;
    EXPECT_EQ(sink.shown[0].kind, MessageKind::Error);
    EXPECT_EQ(sink.shown[0].text, step.message);
    EXPECT_TRUE(d.dialog.isVisible());
    EXPECT_TRUE(d.get<QCheckBox>("ConfirmCheckBox")->isChecked());
  }
  EXPECT_EQ(d.state.catalogue.channels.size(), 3u);
  EXPECT_EQ(d.rebuilds, 0);
}

TEST(AddDialog, TextsThatWouldBreakTheUserFileAreRefusedAndNothingChanges) {
  struct Case {
    const char* field;
    QString text;
    const char* message_part;
  };
  const Case cases[] = {
      {"NameEdit", "Rock|Pop", "\"|\" cannot be used in the Name field"},
      {"UrlEdit", "http://x.example/?a|b", "\"|\" cannot be used in the URL field"},
      {"HomepageEdit", "|", "\"|\" cannot be used in the Homepage field"},
      {"CommentEdit", "good | loud", "\"|\" cannot be used in the Comment field"},
      {"CommentEdit", "two\nlines", "Comment field must be a single line"},
      {"NameEdit", QStringLiteral("Radio \u0141\u00f3d\u017a"), "characters \"\u0141\" and \"\u017a\" cannot be used in the Name field"},
      {"HomepageEdit", QString::fromUtf16(u"http://a\0b.example/", 20), "NUL character cannot be used in the Homepage field"},
      {"BitrateEdit", "2147483648", "Bitrate is too large"},
      {"BitrateEdit", "99999999999999999999", "Bitrate is too large"},
  };
  for (const Case& c : cases) {
    for (bool rewrite : {false, true}) {
      AddDialog d;
      RecordingMessageSink sink;
      const std::vector<int32_t> ids_before = ids_of(d.state);
      const Channel mine_before = *d.find(100001);
      rewrite ? d.open_for(100001) : d.open_new();
      d.fill_valid();
      d.edit(c.field)->setText(c.text);
      d.press_add();
      ASSERT_EQ(sink.shown.size(), 1u) << c.field;
      EXPECT_TRUE(sink.shown[0].text.contains(c.message_part)) << sink.shown[0].text.toStdString();
      EXPECT_EQ(ids_of(d.state), ids_before);
      EXPECT_EQ(d.state.catalogue.highest_user_id, 100001);
      EXPECT_EQ(d.find(100001)->name, mine_before.name);
      EXPECT_EQ(d.find(100001)->url.str(), mine_before.url.str());
      EXPECT_EQ(d.rebuilds, 0);
      EXPECT_TRUE(d.state.sort_flag);  // no sort ran
    }
  }
}

TEST(AddDialog, DuplicateUrlIgnoresLetterCaseAndSurroundingSpaces) {
  struct Case {
    QString url;
    bool duplicate;
    const char* of;
  };
  const Case cases[] = {
      {"HTTP://ZULU.EXAMPLE/stream", true, "Zulu TV"},
      {"  http://zulu.example/Stream\t", true, "Zulu TV"},
      {"http://mine.example/A", true, "Mine"},  // user-defined channels count as well
      {"http://zulu.example/Stream2", false, ""},
      {"http://zulu.example/Strean", false, ""},
      {"http://LIST.example/radio", false, ""},  // a playlist's channels are the playlist's
  };
  for (const Case& c : cases) {
    AddDialog d;
    Channel listed;
    listed.id = -1;
    listed.source = 2;
    listed.group_id = kGroupTV;
    listed.name = ShortText::from_text(QStringLiteral("Listed"));
    listed.url = PackedText(std::string("http://list.example/radio"));
    d.state.catalogue.channels.push_back(listed);
    RecordingMessageSink sink;
    d.open_new();
    d.fill_valid(c.url);
    d.press_add();
    if (c.duplicate) {
      ASSERT_EQ(sink.shown.size(), 1u) << c.url.toStdString();
      EXPECT_EQ(sink.shown[0].text, QStringLiteral("A duplicate value was detected. ") + c.of);
      EXPECT_EQ(d.state.catalogue.channels.size(), 4u);
      EXPECT_TRUE(d.dialog.isVisible());
    } else {
      EXPECT_TRUE(sink.shown.empty()) << c.url.toStdString();
      EXPECT_EQ(d.state.catalogue.channels.size(), 5u);
    }
  }
}

TEST(AddDialog, AddGivesTheNextUserIdAndTheSortedPlace) {
  AddDialog d;
  RecordingMessageSink sink;
  d.open_new();
  d.fill_valid();
  d.list("TypeCombo")->setCurrentIndex(2);  // "Real Player"
  d.press_add();
  ASSERT_TRUE(sink.shown.empty());

  EXPECT_EQ(d.state.catalogue.highest_user_id, 100002);
  // Sorted again by the last column in the last direction (names ascending), flag as before.
  EXPECT_TRUE(d.state.sort_flag);
  EXPECT_EQ(d.state.last_sort_column, 0);
  EXPECT_EQ(ids_of(d.state), (std::vector<int32_t>{7, 100002, 100001, 9}));
  const Channel& c = *d.find(100002);
  EXPECT_EQ(c.group_id, kGroupRadio);
  EXPECT_EQ(c.sent, 0);
  EXPECT_EQ(c.favorited, 0);
  EXPECT_EQ(c.user_defined, 1);
  EXPECT_EQ(c.name.text(), "Middle Radio");
  EXPECT_EQ(c.url.str(), "http://new.example/stream");
  EXPECT_EQ(c.bitrate, 128);
  EXPECT_EQ(c.type_id, 1);  // there is one embedded player, whichever entry was chosen
  EXPECT_EQ(c.homepage.str(), "http://new.example/");
  EXPECT_EQ(c.country_id, 49);
  EXPECT_EQ(c.genre_id, 14);
  EXPECT_EQ(c.genre.text(), "News");
  EXPECT_EQ(c.comment.str(), "fine");
  EXPECT_EQ(d.rebuilds, 1);
  EXPECT_EQ(d.dialog.result(), QDialog::Accepted);
  EXPECT_FALSE(d.dialog.isVisible());
}

TEST(AddDialog, AddKeepsTheLastColumnAndDirection) {
  // Last sorted by Bitrate with the flag false (highest first), which left the flag true.
  AddDialog d;
  auto& cs = d.state.catalogue.channels;
  cs[0].bitrate = 320;
  cs[1].bitrate = 96;
  cs[2].bitrate = 64;
  d.state.last_sort_column = 3;
  d.state.sort_flag = true;
  d.open_new();
  d.fill_valid();  // bitrate 128
  d.press_add();
  EXPECT_EQ(ids_of(d.state), (std::vector<int32_t>{7, 100002, 100001, 9}));
  EXPECT_EQ(d.state.last_sort_column, 3);
  EXPECT_TRUE(d.state.sort_flag);
}

TEST(AddDialog, EmptyBitrateIsZeroAndTheFieldTakesOnlyDigits) {
  AddDialog d;
  d.open_new();
  d.fill_valid();
  QLineEdit* bitrate = d.edit("BitrateEdit");
  bitrate->clear();
  dialogs_test::type_keys(bitrate, "1a2-+ 3.");
  EXPECT_EQ(bitrate->text(), "123");
  QKeyEvent backspace(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
  QApplication::sendEvent(bitrate, &backspace);
  EXPECT_EQ(bitrate->text(), "12");
  bitrate->clear();
  d.press_add();
  ASSERT_NE(d.find(100002), nullptr);
  EXPECT_EQ(d.find(100002)->bitrate, 0);
}

TEST(AddDialog, UpdateShowsTheChannelAndRewriteKeepsIdSentAndPlace) {
  AddDialog d;
  Channel& mine = d.state.catalogue.channels[1];
  mine.favorited = 1;
  d.open_for(100001);
  EXPECT_EQ(d.list("CategoryCombo")->currentText(), "TV");
  EXPECT_EQ(d.list("TypeCombo")->currentText(), "Media Player");
  EXPECT_EQ(d.list("CountryCombo")->currentText(), "France");
  EXPECT_EQ(d.list("GenreCombo")->currentText(), "Jazz");
  EXPECT_EQ(d.edit("NameEdit")->text(), "Mine");
  EXPECT_EQ(d.edit("UrlEdit")->text(), "http://mine.example/a");
  EXPECT_EQ(d.edit("BitrateEdit")->text(), "96");
  EXPECT_EQ(d.edit("HomepageEdit")->text(), "http://mine.example/");
  EXPECT_EQ(d.edit("CommentEdit")->text(), "my comment");

  // Another channel's address is no obstacle to a rewrite; the new genre brings its name.
  RecordingMessageSink sink;
  d.edit("NameEdit")->setText("AAA first by name");
  d.edit("UrlEdit")->setText("http://zulu.example/Stream");
  d.list("TypeCombo")->setCurrentIndex(2);
  d.list("GenreCombo")->setCurrentText("News");
  d.press_add();
  ASSERT_TRUE(sink.shown.empty());
  EXPECT_EQ(ids_of(d.state), (std::vector<int32_t>{7, 100001, 9}));
  const Channel& c = d.state.catalogue.channels[1];
  EXPECT_EQ(c.name.text(), "AAA first by name");
  EXPECT_EQ(c.sent, 1);
  EXPECT_EQ(c.favorited, 1);
  EXPECT_EQ(c.user_defined, 1);
  EXPECT_EQ(c.type_id, 1);
  EXPECT_EQ(c.genre_id, 14);
  EXPECT_EQ(c.genre.text(), "News");
  EXPECT_EQ(d.state.catalogue.highest_user_id, 100001);
  EXPECT_TRUE(d.state.sort_flag);  // no sort ran
  EXPECT_EQ(d.rebuilds, 1);

  // Reopened, the "Real Player" choice reads "Media Player".
  d.open_for(100001);
  EXPECT_EQ(d.list("TypeCombo")->currentText(), "Media Player");
}

TEST(AddDialog, UrlAndBitrateOfferNoMenuAndTheClipboardSurvivesTyping) {
  AddDialog d;
  d.open_new();
  EXPECT_EQ(d.edit("UrlEdit")->contextMenuPolicy(), Qt::PreventContextMenu);
  EXPECT_EQ(d.edit("BitrateEdit")->contextMenuPolicy(), Qt::PreventContextMenu);
  QGuiApplication::clipboard()->setText("copied elsewhere");
  dialogs_test::type_keys(d.edit("UrlEdit"), "http");
  EXPECT_EQ(d.edit("UrlEdit")->text(), "http");
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "copied elsewhere");
}

namespace {
class OpenedUrls : public QObject {
  Q_OBJECT
 public:
  std::vector<QUrl> urls;
 public Q_SLOTS:
  void open(const QUrl& url) { urls.push_back(url); }
};
}  // namespace

TEST(AddDialog, TestChannelOpensOnlyNetworkAddresses) {
  OpenedUrls opened;
  const char* schemes[] = {"http", "https", "rtsp", "mms", "file", "smb", "ftp"};
  for (const char* s : schemes) QDesktopServices::setUrlHandler(s, &opened, "open");
  struct Case {
    QString url;
    bool opened;
  };
  const Case cases[] = {
      {"  http://radio.example/live  ", true}, {"HTTPS://tv.example/a.m3u8", true},
      {"rtsp://cam.example:554/x", true},      {"mms://old.example/stream", true},
      {"file:///etc/passwd", false},           {"/usr/bin/xterm", false},
      {"smb://share.example/x", false},        {"ftp://files.example/a", false},
      {"http://", false},                      {"", false},
  };
  for (const Case& c : cases) {
    AddDialog d;
    RecordingMessageSink sink;
    d.open_new();
    d.edit("UrlEdit")->setText(c.url);
    opened.urls.clear();
    QLabel* label = d.get<QLabel>("TestChannelLabel");
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(3, 3), label->mapToGlobal(QPointF(3, 3)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(3, 3), label->mapToGlobal(QPointF(3, 3)),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(label, &press);
    QApplication::sendEvent(label, &release);
    ASSERT_EQ(opened.urls.size(), c.opened ? 1u : 0u) << c.url.toStdString();
    if (c.opened) {
      EXPECT_EQ(opened.urls[0], QUrl(c.url.trimmed())) << c.url.toStdString();
    }
    // Something that is not a network address is explained; an empty field does nothing at all.
    EXPECT_EQ(sink.shown.size(), !c.opened && !c.url.isEmpty() ? 1u : 0u) << c.url.toStdString();
  }
  for (const char* s : schemes) QDesktopServices::unsetUrlHandler(s);
}

// Without a program for the address (here the test platform's desktop opens nothing), the user
// is told instead of waiting for a player that never comes.
TEST(AddDialog, TestChannelSaysWhenTheDesktopCannotOpenTheAddress) {
  AddDialog d;
  RecordingMessageSink sink;
  d.open_new();
  d.edit("UrlEdit")->setText("http://radio.example/live");
  QLabel* label = d.get<QLabel>("TestChannelLabel");
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(3, 3), label->mapToGlobal(QPointF(3, 3)), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(3, 3), label->mapToGlobal(QPointF(3, 3)), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(label, &press);
  QApplication::sendEvent(label, &release);
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].kind, MessageKind::Error);
  EXPECT_TRUE(sink.shown[0].text.contains("http://radio.example/live")) << sink.shown[0].text.toStdString();
}

TEST(ChannelCommands, CatalogueChannelGetsTheInformationAndNoDialog) {
  AddDialog d;
  RecordingMessageSink sink;
  update_channel_command(d.dialog, d.state, 2, "help@quovi.example", nullptr);
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].kind, MessageKind::Information);
  EXPECT_EQ(sink.shown[0].text,
            "You can only delete or modify the user-defined channels, but you can send us updates, corrections by "
            "email help@quovi.example.  Update will automatically update your channels over the next several days "
            "with the requisites updates.");
  EXPECT_FALSE(d.dialog.isVisible());
}

TEST(ChannelCommands, RowsMapThroughTheViewToTheRightAction) {
  AppState s = small_state();
  s.visible = {2, 1};  // a view that shows two channels, in array order of the positions
  using Kind = UpdateChannelAction::Kind;
  EXPECT_EQ(update_channel_action(s, -1).kind, Kind::Nothing);
  EXPECT_EQ(update_channel_action(s, 2).kind, Kind::Nothing);
  EXPECT_EQ(update_channel_action(s, 0).kind, Kind::ExplainCatalogueChannel);
  const UpdateChannelAction edit = update_channel_action(s, 1);
  EXPECT_EQ(edit.kind, Kind::Edit);
  EXPECT_EQ(edit.id, 100001);
  EXPECT_EQ(edit.position, 1);
}

TEST(ChannelCommands, AddAndUpdateOpenTheDialogForTheRightChannel) {
  AddDialog d;
  QString seen_name;
  bool seen_addnew = false;
  auto look_and_close = [&] {
    QTimer::singleShot(0, &d.dialog, [&] {
      seen_name = d.edit("NameEdit")->text();
      seen_addnew = d.dialog.adding_new;
      d.dialog.reject();
    });
  };
  look_and_close();
  update_channel_command(d.dialog, d.state, 1, "help@quovi.example", nullptr);
  EXPECT_EQ(seen_name, "Mine");
  EXPECT_FALSE(seen_addnew);
  EXPECT_EQ(d.dialog.channel_id, 100001);

  look_and_close();
  add_channel_command(d.dialog);
  EXPECT_EQ(seen_name, "");
  EXPECT_TRUE(seen_addnew);
  EXPECT_EQ(d.dialog.channel_id, 0);
}

#include "channel_dialog_test.moc"
