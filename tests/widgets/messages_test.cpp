// The real message boxes, as the user sees them: every text comes out as typed, whatever markup it
// holds, and nothing in it can be followed as a link.
#include "widgets/messages.h"

#include "message_box_probe.h"

#include <QDesktopServices>
#include <QUrl>
#include <gtest/gtest.h>

using quovi_test::probe_message_box;

namespace {
// Texts that reach message boxes from outside: a catalogue homepage, a stream server's reason
// phrase, a channel name, a comment.
const QString kMarkedUpTexts[] = {
    QStringLiteral("The address \"<a href=\"file:///etc/passwd\">Continue</a>\" was not opened."),
    QStringLiteral("Cannot play this channel: HTTP error 404 <a href='https://evil.example/'>click</a> (loading failed)."),
    QStringLiteral("<b>Radio</b> &amp; <i>TV</i>"),
    QStringLiteral("<qt><img src=\"file:///quovi-no-such-picture.png\"> news &lt;daily&gt;</qt>"),
    QStringLiteral("<p>two  spaces</p>\nand a second line"),
};

// Records every link a box would hand to the desktop.
struct LinkCatcher : QObject {
  Q_OBJECT
 public:
  LinkCatcher() {
    for (const char* scheme : {"file", "http", "https"}) QDesktopServices::setUrlHandler(scheme, this, "open");
  }
  ~LinkCatcher() override {
    for (const char* scheme : {"file", "http", "https"}) QDesktopServices::unsetUrlHandler(scheme);
  }
  QList<QUrl> opened;
 public Q_SLOTS:
  void open(const QUrl& url) { opened << url; }
};
}  // namespace

TEST(MessageBoxes, ShowEveryTextAsTypedWithNoLinks) {
  LinkCatcher links;
  const struct {
    void (*show)(QWidget*, const QString&, const QString&);
    QMessageBox::Icon icon;
  } kinds[] = {
      {show_error, QMessageBox::Critical},
      {show_warning, QMessageBox::Warning},
      {show_information, QMessageBox::Information},
  };
  for (const auto& kind : kinds) {
    for (const QString& text : kMarkedUpTexts) {
      const auto seen = probe_message_box([&] { kind.show(nullptr, text, QStringLiteral("<b>Title</b>")); });
      ASSERT_TRUE(seen) << text.toStdString();
      EXPECT_EQ(seen->icon, kind.icon);
      EXPECT_EQ(seen->title, QStringLiteral("<b>Title</b>"));
      EXPECT_EQ(seen->text_format, Qt::PlainText) << text.toStdString();
      EXPECT_EQ(seen->label_format, Qt::PlainText) << text.toStdString();
      EXPECT_EQ(seen->label_text, text);
      EXPECT_FALSE(seen->links_accessible) << text.toStdString();
    }
  }
  EXPECT_TRUE(links.opened.isEmpty());
}

TEST(MessageBoxes, QuestionsAreShownAsTypedAndOnlyYesSaysYes) {
  const QString text = kMarkedUpTexts[0];
  const struct {
    QMessageBox::StandardButton press;  // NoButton: Esc
    bool answer;
  } cases[] = {{QMessageBox::Yes, true}, {QMessageBox::No, false}, {QMessageBox::NoButton, false}};
  for (const auto& c : cases) {
    bool answer = !c.answer;
    const auto seen = probe_message_box([&] { answer = ask_yes_no(nullptr, text); }, c.press);
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->icon, QMessageBox::Question);
    EXPECT_EQ(seen->text_format, Qt::PlainText);
    EXPECT_EQ(seen->label_text, text);
    EXPECT_FALSE(seen->links_accessible);
    EXPECT_EQ(answer, c.answer) << c.press;
  }
}

TEST(MessageBoxes, WithoutATitleTheyCarryTheProgramsName) {
  const auto shown = probe_message_box([] { show_error(nullptr, QStringLiteral("Something failed.")); });
  ASSERT_TRUE(shown);
  EXPECT_EQ(shown->title.toStdString(), "Quovi Pro");
  const auto asked = probe_message_box([] { ask_yes_no(nullptr, QStringLiteral("Go on?")); }, QMessageBox::No);
  ASSERT_TRUE(asked);
  EXPECT_EQ(asked->title.toStdString(), "Quovi Pro");
}

#include "messages_test.moc"
