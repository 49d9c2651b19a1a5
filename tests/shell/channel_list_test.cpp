#include "dialogs/recent_titles_window.h"
#include "message_box_probe.h"
#include "playback/player_control.h"
#include "playback/volume_button.h"
#include "shell/channel_row_text.h"
#include "shell/channel_table_model.h"
#include "shell/command_wiring.h"
#include "shell/main_window.h"
#include "shell_fixture.h"
#include "stand_in_player.h"
#include "widgets/click_label.h"
#include "widgets/messages.h"
#include "widgets/plain_tooltip.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QHelpEvent>
#include <QTableView>
#include <QTextDocument>
#include <QToolButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace shell_test;

TEST(RowText, RatingHasTwoDecimalsAndAPoint) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {0, "0.00"},    {4.5, "4.50"},   {3.456, "3.46"}, {5, "5.00"},     {0.125, "0.13"},  // a true half: away from zero
      {2.675, "2.67"},  // stored just below 2.675
      {0.004, "0.00"},  {-0.004, "0.00"}, {-1.5, "-1.50"}, {12.345678, "12.35"},
  };
  const QLocale before;
  QLocale::setDefault(QLocale(QLocale::German));
  for (const auto& c : cases) EXPECT_EQ(format_rating(c.value), QString::fromLatin1(c.text)) << c.value;
  QLocale::setDefault(before);
}

TEST(RowText, CellsColoursAndPictures) {
  AppState s = state_with({{QStringLiteral("Radio <b>FM</b>"), 0, 4.5, 1, {}, 0, 10, 320, QStringLiteral("news & talk")},
                           {QStringLiteral("Mine"), 1, 0, 0, {}, 0, 99, 64, {}}});
  const Channel& catalogue_channel = s.catalogue.channels[0];
  const Channel& own_channel = s.catalogue.channels[1];
  const auto& genres = s.catalogue.genres;
  EXPECT_EQ(cell_text(catalogue_channel, genres, 0), QStringLiteral("Radio <b>FM</b>"));
  EXPECT_EQ(cell_text(catalogue_channel, genres, 1), QStringLiteral("Pop"));
  EXPECT_EQ(cell_text(catalogue_channel, genres, 2), QStringLiteral("4.50"));
  EXPECT_EQ(cell_text(catalogue_channel, genres, 3), QStringLiteral("320"));
  EXPECT_EQ(cell_text(catalogue_channel, genres, 4), QStringLiteral("news & talk"));
  EXPECT_EQ(cell_text(own_channel, genres, 2), QStringLiteral("no"));
  EXPECT_EQ(cell_text(own_channel, genres, 1), QString()) << "no genre row has id 99";
  EXPECT_EQ(cell_text(own_channel, {}, 1), QString()) << "empty genre table";
  // A playlist says nothing of rating and bitrate: blank, not numbers; its genre is its group title.
  Channel listed = catalogue_channel;
  listed.source = 4;
  listed.genre = ShortText::from_utf8("Новости");
  listed.genre_id = 10;
  EXPECT_EQ(cell_text(listed, genres, 1), QStringLiteral("Новости"));
  EXPECT_EQ(cell_text(listed, genres, 2), QString());
  EXPECT_EQ(cell_text(listed, genres, 3), QString());
  EXPECT_EQ(state_picture_index(listed), kPlaylistStatePicture);
  EXPECT_EQ(row_background(catalogue_channel), QColor(255, 255, 255));
  EXPECT_EQ(row_background(own_channel), QColor(192, 220, 192));

  ChannelTableModel model(s);
  model.set_row_count(2);
  EXPECT_EQ(model.data(model.index(1, 2)).toString(), QStringLiteral("no"));
  EXPECT_EQ(model.data(model.index(1, 0), Qt::BackgroundRole).value<QColor>(), QColor(192, 220, 192));
  EXPECT_EQ(model.data(model.index(0, 0), ChannelTableModel::kStateRole).toInt(), 1);
  EXPECT_FALSE(model.data(model.index(0, 0), Qt::DecorationRole).value<QIcon>().isNull());
  EXPECT_FALSE(model.data(model.index(0, 1), Qt::DecorationRole).isValid()) << "the picture sits in the first column";
}

TEST(RowText, EverySatePictureExistsAndOthersHaveNone) {
  AppState s = state_with_names({QStringLiteral("a")});
  ChannelTableModel model(s);
  model.set_row_count(1);
  for (int status = 0; status <= 5; ++status) {
    s.catalogue.channels[0].status = status;
    const QIcon icon = model.data(model.index(0, 0), Qt::DecorationRole).value<QIcon>();
    ASSERT_FALSE(icon.isNull()) << status;
    const QImage image = icon.pixmap(16, 16).toImage();
    EXPECT_GT(qAlpha(image.pixel(8, 8)), 0) << "the picture is drawn, not blank: " << status;
  }
  s.catalogue.channels[0].status = 9;
  EXPECT_FALSE(model.data(model.index(0, 0), Qt::DecorationRole).isValid());
}

TEST(ChannelModel, RowsFollowTheVisibleListAndNeverReachPastIt) {
  AppState s = state_with_names({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
  s.visible = {2, 0};
  ChannelTableModel model(s);
  model.set_row_count(5);  // more than the visible list holds
  EXPECT_EQ(model.rowCount(), 2);
  EXPECT_EQ(model.data(model.index(0, 0)).toString(), QStringLiteral("c"));
  EXPECT_EQ(model.data(model.index(1, 0)).toString(), QStringLiteral("a"));
  // A visible entry that points outside the channel array shows nothing rather than crashing.
  s.visible = {7, 1};
  EXPECT_FALSE(model.data(model.index(0, 0)).isValid());
  EXPECT_EQ(model.channel_position(0), -1);
  EXPECT_EQ(model.channel_position(1), 1);
  EXPECT_EQ(model.channel_position(2), -1);
  model.set_row_count(0);
  EXPECT_FALSE(model.data(model.index(0, 0)).isValid());
}

namespace {
struct MainWindowTest : ::testing::Test {
  AppState state = state_with({{QStringLiteral("Alpha"), 0, 3, 0, QStringLiteral("alpha.example")},
                               {QStringLiteral("Beta <i>&amp;</i>"), 0, 2},
                               {QStringLiteral("Gamma"), 1}});
  MainWindow window{state};
  PlayerControl* control = new PlayerControl(state, &window, &window);
  StandInPlayer* player = new StandInPlayer(control);
  std::vector<int> sorted_columns;

  void SetUp() override {
    window.attach_player_control(control);
    control->attach(player);
    wire_commands(window, {.player = control});
    window.hooks().sort_by_column = [this](int c) { sorted_columns.push_back(c); };
    window.rebuild_view();
    window.show();
    QCoreApplication::processEvents();
  }
  QTableView* list() { return window.channel_list(); }
  QPoint row_centre(int row) { return list()->visualRect(window.model()->index(row, 0)).center(); }
  void mouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, at, target->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
  }
  void click(QWidget* target, QPoint at) {
    mouse(target, QEvent::MouseButtonPress, at);
    mouse(target, QEvent::MouseButtonRelease, at);
  }
  bool showing_play() { return !window.play_button()->isHidden() && window.pause_button()->isHidden(); }
};
}  // namespace

TEST_F(MainWindowTest, RebuildLeavesNoChannelAndSetsCaptionAndCommentsWidth) {
  // A channel plays and the user has widened the Comments column.
  window.select_row(1);
  window.play_button()->click();
  list()->setColumnWidth(4, 200);
  ASSERT_EQ(player->url, QStringLiteral("http://127.0.0.1:9/stream"));
  ASSERT_EQ(player->count("play"), 1);
  ASSERT_NE(window.channel_label()->text(), no_channel_label_html());
  ASSERT_FALSE(showing_play());

  window.rebuild_view();
  EXPECT_EQ(player->url, QString());
  EXPECT_EQ(player->calls.last(), QStringLiteral("url:"));
  EXPECT_EQ(window.selected_row(), -1);
  EXPECT_EQ(window.channel_label()->text(), QStringLiteral("<P align=\"right\">No channel</P>"));
  EXPECT_FALSE(showing_play());
  EXPECT_EQ(window.model()->rowCount(), 3);
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Quovi Pro - 5.1.5.0 - Tv"));
  EXPECT_EQ(list()->columnWidth(4), 110);
  EXPECT_TRUE(window.clear_filter_label()->isHidden());
  EXPECT_EQ(window.countries()->count(), 2);
  EXPECT_EQ(window.countries()->currentIndex(), 0);

  state.catalogue.filter.group_id = 0;
  state.catalogue.filter.favorited = 1;
  state.catalogue.filter.country_flag = true;
  state.catalogue.filter.country_id = 7;
  window.rebuild_view();
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Quovi Pro - 5.1.5.0 - Favorites"));
  EXPECT_FALSE(window.clear_filter_label()->isHidden());
  EXPECT_EQ(window.countries()->currentIndex(), 1);

  state.catalogue.filter.group_id = 9;  // no view: the caption stays
  window.rebuild_view();
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Quovi Pro - 5.1.5.0 - Favorites"));
}

TEST_F(MainWindowTest, ViewButtonsShowWhatTheViewBuilderLetsThrough) {
  state.catalogue.channels[1].group_id = kGroupRadio;
  window.findChild<QToolButton*>("RadioViewButton")->click();
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Quovi Pro - 5.1.5.0 - Radio"));
  ASSERT_EQ(window.model()->rowCount(), 1);
  EXPECT_EQ(window.model()->data(window.model()->index(0, 0)).toString(), QStringLiteral("Beta <i>&amp;</i>"));
  window.findChild<QToolButton*>("TvViewButton")->click();
  EXPECT_EQ(window.model()->rowCount(), 2);
  EXPECT_EQ(window.channel_label()->text(), QStringLiteral("<P align=\"right\">No channel</P>"));
}

TEST(MainWindowSort, HeaderClickSortsAndFlipsTheFlagButNotOnAnEmptyList) {
  AppState state = state_with_names({QStringLiteral("beta"), QStringLiteral("Alpha"), QStringLiteral("gamma")});
  MainWindow window(state);
  wire_commands(window, {});
  window.rebuild_view();
  const auto names = [&] {
    QStringList shown;
    for (int r = 0; r < window.model()->rowCount(); ++r) shown << window.model()->data(window.model()->index(r, 0)).toString();
    return shown;
  };
  Q_EMIT window.channel_list()->horizontalHeader()->sectionClicked(0);
  EXPECT_EQ(names(), QStringList({"Alpha", "beta", "gamma"}));
  EXPECT_TRUE(state.sort_flag);
  Q_EMIT window.channel_list()->horizontalHeader()->sectionClicked(0);
  EXPECT_EQ(names(), QStringList({"gamma", "beta", "Alpha"}));
  EXPECT_FALSE(state.sort_flag);
  EXPECT_EQ(window.channel_list()->columnWidth(4), 110);

  state.catalogue.filter.group_id = kGroupVideo;  // a view without rows
  window.rebuild_view();
  Q_EMIT window.channel_list()->horizontalHeader()->sectionClicked(0);
  EXPECT_FALSE(state.sort_flag);
  EXPECT_EQ(state.catalogue.channels[0].name.text(), QStringLiteral("gamma"));
}

TEST_F(MainWindowTest, SelectingLoadsTheChannelAndLosingItUnloads) {
  click(list()->viewport(), row_centre(1));
  EXPECT_EQ(window.selected_row(), 1);
  // The name is shown as typed, never as markup.
  EXPECT_EQ(window.channel_label()->text(),
            QStringLiteral("<P align=\"right\">Beta &lt;i&gt;&amp;amp;&lt;/i&gt;</P>"));
  EXPECT_EQ(player->url, QStringLiteral("http://127.0.0.1:9/stream"));
  EXPECT_TRUE(showing_play());
  EXPECT_EQ(player->count("play"), 0) << "selection loads without playing";

  // A click below the last row drops the selection.
  click(list()->viewport(), QPoint(20, list()->viewport()->height() - 3));
  EXPECT_EQ(window.selected_row(), -1);
  EXPECT_EQ(window.channel_label()->text(), QStringLiteral("<P align=\"right\">No channel</P>"));
  EXPECT_EQ(player->url, QString());
  EXPECT_FALSE(showing_play());
}

TEST_F(MainWindowTest, WithoutAPlayerOnlyTheLabelAndButtonsChange) {
  window.hooks().load_row = nullptr;
  player->calls.clear();
  window.select_row(0);
  EXPECT_TRUE(player->calls.isEmpty());
  EXPECT_EQ(window.channel_label()->text(), QStringLiteral("<P align=\"right\">Alpha</P>"));
  EXPECT_TRUE(showing_play());
}

TEST_F(MainWindowTest, DoubleClickLoadsAndPlays) {
  const QPoint at = row_centre(2);
  mouse(list()->viewport(), QEvent::MouseButtonPress, at);
  mouse(list()->viewport(), QEvent::MouseButtonRelease, at);
  mouse(list()->viewport(), QEvent::MouseButtonDblClick, at);
  mouse(list()->viewport(), QEvent::MouseButtonRelease, at);
  EXPECT_EQ(player->count("play"), 1);
  EXPECT_EQ(player->url, QStringLiteral("http://127.0.0.1:9/stream"));
  EXPECT_FALSE(showing_play()) << "playing puts Pause in the place";
  EXPECT_EQ(window.selected_row(), 2);
  EXPECT_EQ(window.channel_label()->text(), QStringLiteral("<P align=\"right\">Gamma</P>"));

  // With nothing selected the play command still goes out, with nothing loaded.
  window.clear_selection();
  window.play_selected_channel();
  EXPECT_EQ(player->count("play"), 2);
  EXPECT_EQ(player->url, QString());
}

TEST_F(MainWindowTest, HeaderClicksSortButEdgeDragsDoNot) {
  QHeaderView* header = list()->horizontalHeader();
  QWidget* target = header->viewport();
  click(target, {50, 8});
  click(target, {120, 8});
  click(target, {300, 8});
  EXPECT_EQ(sorted_columns, (std::vector<int>{0, 1, 4}));

  // Dragging the edge between the first two columns resizes the first one and sorts nothing.
  sorted_columns.clear();
  const int edge = header->sectionViewportPosition(1);
  mouse(target, QEvent::MouseButtonPress, {edge, 8});
  mouse(target, QEvent::MouseMove, {edge + 20, 8});
  mouse(target, QEvent::MouseButtonRelease, {edge + 20, 8});
  EXPECT_TRUE(sorted_columns.empty());
  EXPECT_EQ(list()->columnWidth(0), 105);
}

TEST_F(MainWindowTest, HeaderClickWhileTheCountryListIsOpenDoesNotSort) {
  window.countries()->showPopup();
  QCoreApplication::processEvents();
  ASSERT_TRUE(window.countries()->view()->isVisible());
  click(list()->horizontalHeader()->viewport(), {50, 8});
  EXPECT_TRUE(sorted_columns.empty());
  window.countries()->hidePopup();
}

TEST_F(MainWindowTest, CommandsReachTheirHooksAndEmptyHooksAreInert) {
  std::vector<QString> called;
  window.hooks().show_tv = [&] { called.push_back("tv"); };
  window.hooks().add_channel = [&] { called.push_back("add"); };
  window.hooks().choose_country = [&](int entry) { called.push_back(QStringLiteral("country %1").arg(entry)); };
  window.findChild<QToolButton*>("TvViewButton")->click();
  window.findChild<QToolButton*>("SubmitButton")->click();
  window.findChild<QToolButton*>("UpdateButton")->click();  // nothing wired: nothing happens
  window.findChild<QToolButton*>("FilterButton")->click();
  Q_EMIT window.countries()->activated(1);
  EXPECT_EQ(called, (std::vector<QString>{"tv", "add", "country 1"}));
}

TEST_F(MainWindowTest, AHookThatFailsIsReportedAndTheWindowCarriesOn) {
  RecordingMessageSink sink;
  window.hooks().show_video = [] { throw std::runtime_error("Cannot write settings"); };
  window.findChild<QToolButton*>("VideoViewButton")->click();
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].kind, MessageKind::Error);
  EXPECT_EQ(sink.shown[0].text, QStringLiteral("Cannot write settings"));
}

TEST_F(MainWindowTest, CloseRunsTheCloseQueryWhichMayKeepTheWindowOpen) {
  int queries = 0;
  bool answer = false;
  window.hooks().save_before_close = [&] {
    ++queries;
    return answer;
  };
  EXPECT_FALSE(window.close());
  answer = true;
  EXPECT_TRUE(window.close());
  EXPECT_EQ(queries, 2);
}

TEST_F(MainWindowTest, LoadCatalogueRunsTheIntegratorsLoad) {
  bool loaded = false;
  window.hooks().load_catalogue = [&] { loaded = true; };
  window.load_catalogue();
  EXPECT_TRUE(loaded);
}

TEST_F(MainWindowTest, TheStreamsTitleShowsBesideTheNameInTheTooltipAndInTheRecentTitles) {
  window.select_row(0);
  const QString name = state.catalogue.channels[window.selected_channel_position()].name.text();
  window.play_button()->click();
  player->raise_status(QStringLiteral("Playing"));
  Q_EMIT player->nowPlayingChanged(QStringLiteral("Song <b>one</b>"));
  EXPECT_EQ(window.channel_label()->text(), QStringLiteral("<P align=\"right\">") + name.toHtmlEscaped() +
                                                QStringLiteral(" &nbsp;<font color=\"#b4b4b4\">Song &lt;b&gt;one&lt;/b&gt;</font></P>"));
  EXPECT_EQ(window.channel_label()->toolTip(), plain_tooltip(name + QStringLiteral(" \u2014 Song <b>one</b>")));
  // The programme guide's lines stay below whatever title comes next.
  window.show_guide_lines(QStringLiteral("\nNow: News"));
  Q_EMIT player->nowPlayingChanged(QStringLiteral("Song two"));
  EXPECT_EQ(window.channel_label()->toolTip(), plain_tooltip(name + QStringLiteral(" \u2014 Song two\nNow: News")));

  window.open_recent_titles(control);
  ASSERT_NE(window.recent_titles_window(), nullptr);
  QPlainTextEdit* list = window.recent_titles_window()->list();
  QStringList lines = list->toPlainText().split(QLatin1Char('\n'));
  ASSERT_EQ(lines.size(), 2);
  EXPECT_TRUE(lines[0].endsWith(QStringLiteral("  Song two"))) << lines[0].toStdString();
  EXPECT_TRUE(lines[1].endsWith(QStringLiteral("  Song <b>one</b>"))) << lines[1].toStdString();
  Q_EMIT player->nowPlayingChanged(QStringLiteral("Song three"));  // the open list follows
  EXPECT_EQ(list->toPlainText().split(QLatin1Char('\n')).size(), 3);

  // The status line tells a recording and its length.
  window.show_recording_time(QStringLiteral("0:05"));
  EXPECT_EQ(window.status_label()->text(), QStringLiteral("Playing&nbsp;&nbsp;<font color=\"#ff5050\">&#9679; REC 0:05</font>"));
  window.show_recording_time(QString());
  EXPECT_EQ(window.status_label()->text(), QStringLiteral("Playing"));

  player->raise_status(QStringLiteral("Stopped"));
  // Stopped: the stream's title goes, the channel's guide stays.
  EXPECT_EQ(window.channel_label()->text(), channel_label_html(name));
  EXPECT_EQ(window.channel_label()->toolTip(), plain_tooltip(name + QStringLiteral("\nNow: News")));
}

TEST_F(MainWindowTest, PlayerBarFollowsThePlayer) {
  window.select_row(0);
  window.play_button()->click();
  EXPECT_EQ(player->count("play"), 1);
  EXPECT_FALSE(showing_play());
  player->raise_status(QStringLiteral("Playing"));
  EXPECT_EQ(window.status_label()->text(), QStringLiteral("Playing"));
  window.pause_button()->click();  // TV view: stop
  EXPECT_EQ(player->count("stop"), 2) << "one at creation, one now";
  EXPECT_TRUE(showing_play());

  window.mute_button()->click();
  EXPECT_TRUE(player->muted);
  EXPECT_TRUE(window.mute_button()->isHidden());
  EXPECT_FALSE(window.unmute_button()->isHidden());
  window.unmute_button()->click();
  EXPECT_FALSE(player->muted);
  EXPECT_FALSE(window.mute_button()->isHidden());

  // Volume from the release position, any mouse button; the hint follows.
  EXPECT_EQ(window.sound_button()->toolTip(), QStringLiteral("30%"));
  mouse(window.sound_button(), QEvent::MouseButtonPress, {30, 8}, Qt::RightButton);
  mouse(window.sound_button(), QEvent::MouseButtonRelease, {30, 8}, Qt::RightButton);
  EXPECT_EQ(player->volume_value, 49);
  EXPECT_EQ(window.sound_button()->toolTip(), QStringLiteral("49%"));
}

TEST_F(MainWindowTest, PlayerEventsReachTheFeedbackHooks) {
  RecordingMessageSink sink;
  std::vector<QString> feedback;
  window.hooks().submit_user_channel = [&](int row, int index) { feedback.push_back(QStringLiteral("submit %1 %2").arg(row).arg(index)); };
  window.hooks().report_broken_channel = [&](int row, int index) { feedback.push_back(QStringLiteral("report %1 %2").arg(row).arg(index)); };
  window.select_row(2);  // Gamma, user-defined
  player->raise_status(QStringLiteral("Playing"));
  player->raise_status(QStringLiteral("Playing"));
  window.select_row(0);
  player->raise_error(QStringLiteral("Connection refused"));
  EXPECT_EQ(feedback, (std::vector<QString>{"submit 2 2", "report 0 0"}));
  EXPECT_EQ(state.catalogue.channels[2].sent, 1);
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].text, QStringLiteral("Connection refused"));
}

namespace {
// What a piece of text looks like on the screen: Qt reads it as markup when it looks like markup.
QString as_drawn(const QString& text, Qt::TextFormat format = Qt::AutoText) {
  if (format == Qt::PlainText || (format == Qt::AutoText && !Qt::mightBeRichText(text))) return text;
  QTextDocument document;
  document.setHtml(text);
  return document.toPlainText();
}

QLabel* shown_tooltip() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == QLatin1String("qtooltip_label") && w->isVisible()) return qobject_cast<QLabel*>(w);
  return nullptr;
}
}  // namespace

// Names, comments and homepages come from a remote catalogue: whatever markup they hold is shown
// as typed, never drawn, and offers no link.
TEST(MarkupFromOutside, NamesCommentsAndHomepagesReachTheScreenAsTyped) {
  const QString name = QStringLiteral("<b>Bold</b> & <a href=\"file:///etc/passwd\">Radio</a>");
  const QString comment = QStringLiteral("news  <i>daily</i> &amp; <img src=\"file:///quovi-no-such-picture.png\"> more");
  const QString homepage = QStringLiteral("<a href=\"file:///etc/passwd\">Continue</a>");
  AppState state = state_with({{name, 0, 3, 0, homepage, 0, 10, 128, comment}});
  MainWindow window(state);
  QList<QUrl> opened;
  window.set_url_opener([&](const QUrl& url) { opened << url; });
  // The guide's "Now" column: a programme's title, from a guide.
  const QString programme = QStringLiteral("<h1>News</h1> at <b>nine</b>");
  window.model()->set_extra_column(QStringLiteral("Now"), [&](int) { return programme; });
  window.rebuild_view();
  window.show();
  QCoreApplication::processEvents();

  // The cells' tooltips, as the model gives them and as the list shows them under the pointer.
  for (const auto& [column, typed] :
       {std::pair{0, name}, std::pair{4, comment}, std::pair{static_cast<int>(kColumnCount), programme}}) {
    const QModelIndex cell = window.model()->index(0, column);
    const QString tip = window.model()->data(cell, Qt::ToolTipRole).toString();
    EXPECT_EQ(as_drawn(tip), typed) << column;
    const QRect rect = window.channel_list()->visualRect(cell);
    QHelpEvent hover(QEvent::ToolTip, rect.center(), window.channel_list()->viewport()->mapToGlobal(rect.center()));
    QApplication::sendEvent(window.channel_list()->viewport(), &hover);
    const QLabel* shown = shown_tooltip();
    ASSERT_TRUE(shown) << column;
    EXPECT_EQ(as_drawn(shown->text(), shown->textFormat()), typed) << column;
  }
  // The tooltip of an empty cell stays empty: no tooltip at all.
  state.catalogue.channels[0].comment = to_packed(QString());
  EXPECT_EQ(window.model()->data(window.model()->index(0, 4), Qt::ToolTipRole).toString(), QString());

  window.select_row(0);
  EXPECT_EQ(as_drawn(window.channel_label()->toolTip()), name);
  EXPECT_EQ(as_drawn(window.channel_label()->text(), window.channel_label()->textFormat()), name);

  // A homepage that is no web page is refused in a real message box that shows it as typed.
  const auto seen = quovi_test::probe_message_box([&] { window.open_homepage(); });
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->icon, QMessageBox::Warning);
  EXPECT_EQ(as_drawn(seen->label_text, seen->label_format),
            QStringLiteral("The address \"%1\" was not opened: only web pages (http, https) and mail addresses are "
                           "opened.")
                .arg(homepage));
  EXPECT_FALSE(seen->links_accessible);
  EXPECT_TRUE(opened.isEmpty());
}

TEST(ChannelList, AFurtherColumnIsAskedOnlyForTheRowsShown) {
  std::vector<QString> names;
  for (int i = 0; i < 20000; ++i) names.push_back(QStringLiteral("Channel %1").arg(i));
  AppState s = state_with_names(names);
  ChannelTableModel model(s);
  model.set_row_count(static_cast<int>(s.visible.size()));
  EXPECT_EQ(model.columnCount(), kColumnCount);
  int asked = 0;
  model.set_extra_column(QStringLiteral("Now"), [&](int position) {
    ++asked;
    return QStringLiteral("on %1").arg(position);
  });
  ASSERT_EQ(model.columnCount(), kColumnCount + 1);
  EXPECT_EQ(model.headerData(kColumnCount, Qt::Horizontal).toString(), QStringLiteral("Now"));
  EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), column_caption(0));
  EXPECT_EQ(model.data(model.index(17, kColumnCount)).toString(), QStringLiteral("on 17"));
  asked = 0;
  QTableView view;
  view.setModel(&model);
  view.resize(600, 400);
  view.show();
  QApplication::processEvents();
  view.grab();
  EXPECT_GT(asked, 0);
  EXPECT_LT(asked, 1000) << "texts made for rows nobody sees";
  model.set_extra_column({}, {});
  EXPECT_EQ(model.columnCount(), kColumnCount);
}
