#include "catalogue/lookups.h"
#include "dialog_fixture.h"
#include "dialogs/filter_dialog.h"
#include "settings/settings_store.h"
#include "widgets/messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using dialogs_test::small_state;

namespace {
struct OpenFilterDialog {
  AppState state = small_state();
  std::vector<StoreWrite> writes;
  int rebuilds = 0;
  FilterDialog dialog{state, {[this](const StoreWrite& w) { writes.push_back(w); }, [this] { ++rebuilds; }}};

  template <typename W>
  W* get(const char* name) {
    W* w = dialog.findChild<W*>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  QCheckBox* box(const char* name) { return get<QCheckBox>(name); }
  void set_filter() { get<QPushButton>("SetFilterButton")->click(); }
};

const char* const kStatusBoxes[] = {"FineCheckBox",      "NotWorkingCheckBox", "NewCheckBox",
                                    "WrongInfoCheckBox", "DuplicateCheckBox",  "SpamCheckBox"};
}  // namespace

TEST(OpenFilterDialog, WindowAndControlsAtTheirPlaces) {
  OpenFilterDialog d;
  d.dialog.show();
  EXPECT_EQ(d.dialog.windowTitle(), "Filter");
  EXPECT_EQ(d.dialog.height(), 329);
  EXPECT_GE(d.dialog.width(), 300);  // wider only where the font in use needs it
  EXPECT_EQ(d.box("NameCheckBox")->x(), 8);
  EXPECT_EQ(d.box("NameCheckBox")->geometry().center().y(), 25);  // 17 + 17 / 2
  EXPECT_EQ(d.get<QLineEdit>("BitrateEdit")->geometry(), QRect(30, 183, 121, 19));
  EXPECT_EQ(d.get<QComboBox>("GenreCombo")->geometry(), QRect(30, 140, 246, 19));
  EXPECT_EQ(d.box("DuplicateCheckBox")->geometry().center().y(), 248);
  EXPECT_EQ(d.get<QPushButton>("SetFilterButton")->geometry().bottomRight(), QPoint(d.dialog.width() - 11, 321));
  EXPECT_EQ(d.box("FilterCheckBox")->text(), "Filter away channels flaged as:");
  // The lists hold the catalogue's names in table order.
  auto* countries = d.get<QComboBox>("CountryCombo");
  ASSERT_EQ(countries->count(), 3);
  EXPECT_EQ(countries->itemText(2), "Germany");
}

// The places were laid out for Tahoma. In the font the system picks instead (DejaVu Sans is the
// common fallback and wider), or any other, every caption gets the room its size hint asks for,
// stays inside the border, and the status boxes keep their two rows and three columns.
TEST(OpenFilterDialog, EveryCaptionFitsWhateverTheFont) {
  OpenFilterDialog d;
  d.dialog.show();
  QFont dejavu(QStringLiteral("DejaVu Sans"));
  dejavu.setPixelSize(11);
  QFont large = dejavu;
  large.setPixelSize(16);
  QFont bold = dejavu;
  bold.setBold(true);
  const QFont fonts[] = {d.dialog.font(), dejavu, bold, large};
  for (const QFont& font : fonts) {
    d.dialog.setFont(font);
    const std::string which = QFontInfo(font).family().toStdString() + " " + std::to_string(font.pixelSize());
    QWidget* panel = d.get<QWidget>("FilterPanel");
    EXPECT_EQ(panel->size(), d.dialog.size()) << which;
    EXPECT_GE(d.dialog.width(), 300) << which;
    EXPECT_EQ(d.dialog.height(), 329) << which;
    const QRect inside = panel->rect().adjusted(1, 1, -1, -1);
    for (QAbstractButton* w : panel->findChildren<QAbstractButton*>()) {
      const std::string name = w->objectName().toStdString() + " in " + which;
      EXPECT_GE(w->width(), w->sizeHint().width()) << name;
      EXPECT_GE(w->height(), w->sizeHint().height()) << name;
      EXPECT_TRUE(inside.contains(w->geometry())) << name;
      EXPECT_EQ(w->font().pixelSize(), font.pixelSize()) << name << ": the caption takes the dialog's font";
    }
    for (const char* name : {"NameCheckBox", "CountryCheckBox", "GenreCheckBox", "BitrateCheckBox", "FilterCheckBox"})
      EXPECT_EQ(d.box(name)->x(), 8) << name << " in " << which;
    // Columns: the boxes of one column share their left edge; a column ends before the next begins.
    for (size_t column = 0; column < 3; ++column) {
      QCheckBox* upper = d.box(kStatusBoxes[2 * column]);
      QCheckBox* lower = d.box(kStatusBoxes[2 * column + 1]);
      EXPECT_EQ(upper->x(), lower->x()) << kStatusBoxes[2 * column] << " in " << which;
      EXPECT_LT(upper->geometry().center().y(), lower->geometry().center().y()) << which;
      if (column == 2) continue;
      for (QCheckBox* box : {upper, lower})
        EXPECT_LT(box->geometry().right(), d.box(kStatusBoxes[2 * column + 2])->x()) << kStatusBoxes[2 * column] << " in " << which;
    }
    EXPECT_EQ(d.get<QPushButton>("SetFilterButton")->geometry().right(), d.dialog.width() - 11) << which;
  }
  // Where every caption fits the places laid out for Tahoma, the dialog keeps them and its size.
  QFont narrow = dejavu;
  narrow.setPixelSize(8);
  d.dialog.setFont(narrow);
  EXPECT_EQ(d.dialog.size(), QSize(300, 329));
  EXPECT_EQ(d.get<QPushButton>("SetFilterButton")->geometry(), QRect(204, 298, 86, 24));
  EXPECT_EQ(d.box("NotWorkingCheckBox")->geometry(), QRect(34, 260, 79, 17));
  EXPECT_EQ(d.box("DuplicateCheckBox")->geometry(), QRect(214, 240, 68, 17));
}

// Over the main window, whose style sheet stops Qt from handing fonts down, the captions still
// take the dialog's font, at first and after it changes.
TEST(OpenFilterDialog, CaptionsTakeTheDialogsFontUnderTheMainWindow) {
  QWidget main_window;
  main_window.setStyleSheet("QToolButton#AnyButton { border: none; }");
  AppState state = small_state();
  FilterDialog dialog(state, {[](const StoreWrite&) {}, [] {}}, &main_window);
  dialog.show();
  QFont large(QStringLiteral("DejaVu Sans"));
  large.setPixelSize(16);
  for (const bool changed : {false, true}) {
    if (changed) dialog.setFont(large);
    const QFontInfo wanted(dialog.font());
    for (QAbstractButton* w : dialog.findChildren<QAbstractButton*>()) {
      const std::string name = w->objectName().toStdString() + (changed ? " after the change" : "");
      EXPECT_EQ(QFontInfo(w->font()).family(), wanted.family()) << name;
      EXPECT_EQ(QFontInfo(w->font()).pixelSize(), wanted.pixelSize()) << name;
      EXPECT_GE(w->width(), w->sizeHint().width()) << name;
    }
    // The lists keep their own smaller font.
    EXPECT_EQ(dialog.findChild<QComboBox*>("GenreCombo")->font().pixelSize(), 9);
  }
}

TEST(OpenFilterDialog, OpeningShowsTheStoredCriteriaEvenWhenOff) {
  OpenFilterDialog d;
  ChannelFilter& f = d.state.catalogue.filter;
  f.name_flag = true;
  f.name = " FM";
  f.country_flag = false;
  f.country_id = 49;
  f.genre_flag = true;
  f.genre_id = 14;
  f.bitrate_flag = false;
  f.bitrate = 128;
  f.status_flag = true;
  f.new_ = true;
  f.spam = true;
  d.dialog.show();

  EXPECT_TRUE(d.box("NameCheckBox")->isChecked());
  EXPECT_EQ(d.get<QLineEdit>("NameEdit")->text(), " FM");
  EXPECT_TRUE(d.get<QLineEdit>("NameEdit")->isEnabled());
  EXPECT_FALSE(d.box("CountryCheckBox")->isChecked());
  EXPECT_EQ(d.get<QComboBox>("CountryCombo")->currentIndex(), 2);
  EXPECT_FALSE(d.get<QComboBox>("CountryCombo")->isEnabled());
  EXPECT_EQ(d.get<QComboBox>("GenreCombo")->currentText(), "News");
  EXPECT_TRUE(d.get<QComboBox>("GenreCombo")->isEnabled());
  EXPECT_EQ(d.get<QLineEdit>("BitrateEdit")->text(), "128");
  EXPECT_FALSE(d.get<QLineEdit>("BitrateEdit")->isEnabled());
  const bool expected[] = {false, false, true, false, false, true};
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(d.box(kStatusBoxes[i])->isChecked(), expected[i]) << kStatusBoxes[i];
    EXPECT_TRUE(d.box(kStatusBoxes[i])->isEnabled()) << kStatusBoxes[i];
  }
  // The focus rests on the control of the last checked box.
  EXPECT_EQ(d.dialog.focusWidget(), d.box("FineCheckBox"));
}

TEST(OpenFilterDialog, EachBoxEnablesItsControlsAndKeepsTheirContent) {
  OpenFilterDialog d;
  d.state.catalogue.filter.name = "kept";
  d.dialog.show();
  struct Case {
    const char* box;
    std::vector<const char*> controls;
  };
  const Case cases[] = {
      {"NameCheckBox", {"NameEdit"}},
      {"CountryCheckBox", {"CountryCombo"}},
      {"GenreCheckBox", {"GenreCombo"}},
      {"BitrateCheckBox", {"BitrateEdit"}},
      {"FilterCheckBox", {std::begin(kStatusBoxes), std::end(kStatusBoxes)}},
  };
  for (const Case& c : cases) {
    QCheckBox* box = d.box(c.box);
    box->click();
    for (const char* name : c.controls) EXPECT_TRUE(d.get<QWidget>(name)->isEnabled()) << c.box << " " << name;
    box->click();
    for (const char* name : c.controls) EXPECT_FALSE(d.get<QWidget>(name)->isEnabled()) << c.box << " " << name;
  }
  EXPECT_EQ(d.get<QLineEdit>("NameEdit")->text(), "kept");
  // The handlers only switch controls; the criteria wait for "Set Filter".
  EXPECT_TRUE(d.writes.empty());
  EXPECT_FALSE(d.state.catalogue.filter.name_flag);
}

TEST(OpenFilterDialog, SetFilterTakesAllFiveOverStoresThemInOrderAndRebuilds) {
  OpenFilterDialog d;
  ChannelFilter& f = d.state.catalogue.filter;
  f.genre_flag = true;  // turned off below: only its switch is deleted
  f.genre_id = 12;
  f.workfine = true;    // the status criterion stays off: its switches are left alone
  d.dialog.show();

  d.box("NameCheckBox")->click();
  d.get<QLineEdit>("NameEdit")->setText(" Jazz");
  d.box("CountryCheckBox")->click();
  d.get<QComboBox>("CountryCombo")->setCurrentIndex(1);
  d.box("GenreCheckBox")->click();
  d.box("BitrateCheckBox")->click();
  d.get<QLineEdit>("BitrateEdit")->setText("64");
  d.set_filter();

  const std::vector<StoreWrite> expected = {
      StoreWrite::integer("name_f", 1),    StoreWrite::string("name", " Jazz"), StoreWrite::integer("country_f", 1),
      StoreWrite::integer("country", 33),  StoreWrite::remove("genre_f"),       StoreWrite::integer("bitrate_f", 1),
      StoreWrite::integer("bitrate", 64),  StoreWrite::remove("flag_f"),
  };
  EXPECT_EQ(d.writes, expected);
  EXPECT_TRUE(f.name_flag);
  EXPECT_EQ(f.name, " Jazz");
  EXPECT_TRUE(f.country_flag);
  EXPECT_EQ(f.country_id, 33);
  EXPECT_FALSE(f.genre_flag);
  EXPECT_EQ(f.genre_id, 12);
  EXPECT_TRUE(f.bitrate_flag);
  EXPECT_EQ(f.bitrate, 64);
  EXPECT_FALSE(f.status_flag);
  EXPECT_TRUE(f.workfine);
  EXPECT_EQ(d.rebuilds, 1);
  EXPECT_EQ(d.dialog.result(), QDialog::Accepted);
  EXPECT_FALSE(d.dialog.isVisible());
}

TEST(OpenFilterDialog, StatusCriterionStoresAllSixSwitchesEvenWhenNoneIsChecked) {
  OpenFilterDialog d;
  d.state.catalogue.filter.workfine = true;
  d.state.catalogue.filter.spam = true;
  d.dialog.show();
  d.box("FilterCheckBox")->click();
  d.box("FineCheckBox")->click();  // off again
  d.box("SpamCheckBox")->click();
  d.set_filter();
  const std::vector<StoreWrite> status_writes(d.writes.end() - 7, d.writes.end());
  const std::vector<StoreWrite> expected = {
      StoreWrite::integer("flag_f", 1), StoreWrite::integer("workfine", 0),  StoreWrite::integer("notworking", 0),
      StoreWrite::integer("new", 0),    StoreWrite::integer("wrong", 0),     StoreWrite::integer("duplicate", 0),
      StoreWrite::integer("spam", 0),
  };
  EXPECT_EQ(status_writes, expected);
  EXPECT_TRUE(d.state.catalogue.filter.status_flag);
  EXPECT_FALSE(d.state.catalogue.filter.workfine);
  EXPECT_FALSE(d.state.catalogue.filter.spam);
}

TEST(OpenFilterDialog, UnusableBitrateChangesNothingAndSaysSoOnce) {
  for (const char* text : {"", "12a", "2147483648", "-2147483649", " 5", "+"}) {
    OpenFilterDialog d;
    RecordingMessageSink sink;
    const ChannelFilter before = d.state.catalogue.filter;
    d.dialog.show();
    d.box("NameCheckBox")->click();  // would be taken over first if the bitrate were not checked first
    d.get<QLineEdit>("NameEdit")->setText("x");
    d.box("BitrateCheckBox")->click();
    d.get<QLineEdit>("BitrateEdit")->setText(text);
    d.set_filter();

    ASSERT_EQ(sink.shown.size(), 1u) << text;
    EXPECT_EQ(sink.shown[0].kind, MessageKind::Error);
    EXPECT_TRUE(sink.shown[0].text.contains("not a valid integer")) << sink.shown[0].text.toStdString();
    EXPECT_TRUE(d.writes.empty()) << text;
    EXPECT_EQ(d.rebuilds, 0);
    EXPECT_FALSE(d.state.catalogue.filter.name_flag) << text;
    EXPECT_EQ(d.state.catalogue.filter.bitrate, before.bitrate);
    EXPECT_FALSE(d.state.catalogue.filter.bitrate_flag);
    EXPECT_TRUE(d.dialog.isVisible()) << text;
  }
}

TEST(OpenFilterDialog, BitrateLimitsAndSignsAreNumbers) {
  for (auto [text, value] : {std::pair{"0", 0}, {"-5", -5}, {"2147483647", 2147483647}, {"-2147483648", INT32_MIN}}) {
    OpenFilterDialog d;
    d.dialog.show();
    d.box("BitrateCheckBox")->click();
    d.get<QLineEdit>("BitrateEdit")->setText(text);
    d.set_filter();
    EXPECT_EQ(d.state.catalogue.filter.bitrate, value) << text;
    EXPECT_EQ(d.rebuilds, 1);
  }
}

TEST(OpenFilterDialog, ClosingWithoutSetFilterAppliesNothing) {
  OpenFilterDialog d;
  d.dialog.show();
  d.box("NameCheckBox")->click();
  d.dialog.reject();
  EXPECT_FALSE(d.state.catalogue.filter.name_flag);
  EXPECT_TRUE(d.writes.empty());
  // Reopening shows the criteria again, not the abandoned clicks.
  d.dialog.show();
  EXPECT_FALSE(d.box("NameCheckBox")->isChecked());
}

TEST(OpenFilterDialog, CriteriaSurviveARestartThroughTheSettingsStore) {
  {
    AppState state = small_state();
    state.catalogue.filter.genre_id = 12;
    int rebuilds = 0;
    FilterDialog dialog(state, {{}, [&] { ++rebuilds; }});  // the real store
    dialog.show();
    dialog.findChild<QCheckBox*>("NameCheckBox")->click();
    dialog.findChild<QLineEdit*>("NameEdit")->setText(" FM");
    dialog.findChild<QCheckBox*>("GenreCheckBox")->click();
    dialog.findChild<QComboBox*>("GenreCombo")->setCurrentIndex(2);
    dialog.findChild<QCheckBox*>("FilterCheckBox")->click();
    dialog.findChild<QCheckBox*>("NewCheckBox")->click();
    dialog.findChild<QPushButton*>("SetFilterButton")->click();
    ASSERT_EQ(rebuilds, 1);
    // Turning the genre off again deletes only its switch; the genre stays stored.
    dialog.show();
    dialog.findChild<QCheckBox*>("GenreCheckBox")->click();
    dialog.findChild<QPushButton*>("SetFilterButton")->click();
  }
  AppState restarted = small_state();
  reset_catalogue(restarted.catalogue);
  restarted.catalogue.countries = small_state().catalogue.countries;
  restarted.catalogue.genres = small_state().catalogue.genres;
  load_settings(restarted.catalogue.filter);
  FilterDialog dialog(restarted, {[](const StoreWrite&) {}, [] {}});
  dialog.show();
  EXPECT_TRUE(dialog.findChild<QCheckBox*>("NameCheckBox")->isChecked());
  EXPECT_EQ(dialog.findChild<QLineEdit*>("NameEdit")->text(), " FM");
  EXPECT_FALSE(dialog.findChild<QCheckBox*>("GenreCheckBox")->isChecked());
  auto* genres = dialog.findChild<QComboBox*>("GenreCombo");
  EXPECT_EQ(genres->currentText(), "News");
  EXPECT_FALSE(genres->isEnabled());
  EXPECT_TRUE(dialog.findChild<QCheckBox*>("FilterCheckBox")->isChecked());
  EXPECT_TRUE(dialog.findChild<QCheckBox*>("NewCheckBox")->isChecked());
  EXPECT_FALSE(dialog.findChild<QCheckBox*>("SpamCheckBox")->isChecked());
}
