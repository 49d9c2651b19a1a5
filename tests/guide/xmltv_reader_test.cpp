#include "guide/xmltv_reader.h"
#include "guide_bytes.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <QDir>

#include <optional>
#include <string>
#include <vector>

namespace {
// 2026-12-10 in UTC: the window runs from 2026-12-09 00:00 to 2026-12-13 00:00.
const GuideWindow kWindow = guide_window(QDate(2026, 12, 10), QTimeZone::utc());

int64_t utc(int day, int hour, int minute = 0) { return days_from_civil(2026, 12, day) * 86400 + hour * 3600 + minute * 60; }

GuideRead read(const std::string& document) { return read_guide_bytes(document, {kWindow}); }

const GuideChannel* channel(const GuideRead& read, std::string_view id) {
  for (const GuideChannel& c : read.guide.channels)
    if (read.guide.text(c.id) == id) return &c;
  return nullptr;
}

// "start-stop title" of each programme of a channel.
std::vector<std::string> listing(const GuideRead& read, std::string_view id) {
  std::vector<std::string> lines;
  const GuideChannel* c = channel(read, id);
  if (!c) return {"no channel"};
  for (const GuideProgramme& p : c->programmes)
    lines.push_back(std::to_string(p.start - utc(10, 0)) + ".." + std::to_string(p.stop - utc(10, 0)) + " " +
                    std::string(read.guide.text(p.title)));
  return lines;
}

std::string programme(const std::string& start, const std::string& stop, const std::string& title,
                      const std::string& channel = "one") {
  return "<programme start=\"" + start + "\"" + (stop.empty() ? "" : " stop=\"" + stop + "\"") + " channel=\"" +
         channel + "\"><title>" + title + "</title></programme>\n";
}

std::string tv(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE tv SYSTEM \"xmltv.dtd\">\n<tv>\n" + body + "</tv>\n";
}
}  // namespace

TEST(GuideTime, ReadsEveryFormWithAndWithoutOffset) {
  const struct {
    const char* text;
    std::optional<int64_t> expected;
  } cases[] = {
      {"20261210203000 +0100", utc(10, 19, 30)},
      {"20261210203000 -0530", utc(11, 2, 0)},
      {"20261210203000+0100", utc(10, 19, 30)},
      {"20261210203000", utc(10, 20, 30)},
      {"20261210203000 Z", utc(10, 20, 30)},
      {"202612102030 +0000", utc(10, 20, 30)},
      {"2026121020", utc(10, 20)},
      {"20261210", utc(10, 0)},
      {"20240229120000", days_from_civil(2024, 2, 29) * 86400 + 12 * 3600},
      {"20250229120000", std::nullopt},
      {"20261310000000", std::nullopt},
      {"20261210253000", std::nullopt},
      {"20261210203000 +01", std::nullopt},
      {"20261210203000 +2400", std::nullopt},
      {"20261210203000 GMT", std::nullopt},
      {"2026121", std::nullopt},
      {"202612102", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(parse_guide_time(c.text), c.expected) << c.text;
}

TEST(GuideTime, WindowFollowsTheUsersTimeZone) {
  const GuideWindow berlin = guide_window(QDate(2026, 12, 10), QTimeZone("Europe/Berlin"));
  EXPECT_EQ(berlin.from, utc(8, 23));
  EXPECT_EQ(berlin.to, utc(12, 23));
}

TEST(XmltvReader, ReadsChannelsNamesAndProgrammes) {
  const GuideRead r = read(tv(
      "<channel id=\"one\"><display-name lang=\"en\">One HD</display-name><display-name lang=\"de\">Eins</display-name>"
      "<display-name>1</display-name><icon src=\"x.png\"/></channel>\n"
      "<channel id=\"two\"><display-name>Two</display-name></channel>\n"
      "<programme start=\"20261210200000 +0100\" stop=\"20261210210000 +0100\" channel=\"one\">"
      "<title lang=\"en\">Later</title><title lang=\"de\">Spaeter</title><sub-title>Episode 2</sub-title>"
      "<desc>A  story\n  of two</desc><category>Film</category></programme>\n" +
      programme("20261210180000 +0000", "20261210190000 +0000", "Earlier") +
      "<programme start=\"20261210180000\" channel=\"two\"><title>Tom &amp; Jerry &#233;&#x263A; &lt;3</title>"
      "<desc><![CDATA[<b>bold</b> & more]]></desc></programme>\n"));
  EXPECT_EQ(r.problem, "");
  ASSERT_EQ(r.guide.channels.size(), 2u);
  const GuideChannel* one = channel(r, "one");
  ASSERT_TRUE(one);
  std::vector<std::string> names;
  for (const GuideDisplayName& n : r.guide.names_of(*one))
    names.push_back(std::string(r.guide.text(n.name)) + "/" + std::string(r.guide.text(n.lang)));
  EXPECT_EQ(names, (std::vector<std::string>{"One HD/en", "Eins/de", "1/"}));
  EXPECT_EQ(listing(r, "one"), (std::vector<std::string>{"64800..68400 Earlier", "68400..72000 Later"}));
  const GuideProgramme& later = one->programmes[1];
  EXPECT_EQ(r.guide.text(later.sub_title), "Episode 2");
  EXPECT_EQ(r.guide.text(later.description), "A  story\n  of two");
  const GuideProgramme& two = channel(r, "two")->programmes.at(0);
  EXPECT_EQ(r.guide.text(two.title), "Tom & Jerry \u00e9\u263a <3");
  EXPECT_EQ(r.guide.text(two.description), "<b>bold</b> & more");
}

TEST(XmltvReader, MissingStopsAreTheNextStartAndTheWindowKeepsOnlyItsDays) {
  const GuideRead r = read(tv(
      programme("20261208100000", "20261208110000", "long gone") +
      // No stop: ends when the next one starts, before the window opens.
      programme("20261208200000", "", "gone, no stop") + programme("20261208230000", "", "into the window") +
      programme("20261209010000", "", "a") + programme("20261209030000", "20261209040000", "b") +
      programme("20261212230000", "20261213010000", "last day") + programme("20261213000000", "", "after") +
      programme("20261212235500", "", "no stop, none after") + programme("junk", "", "bad start") +
      "<programme start=\"20261210000000\"><title>no channel</title></programme>\n"));
  EXPECT_EQ(r.problem, "");
  EXPECT_EQ(listing(r, "one"), (std::vector<std::string>{"-90000..-82800 into the window", "-82800..-75600 a",
                                                         "-75600..-72000 b", "255600..262800 last day",
                                                         "258900..258900 no stop, none after"}));
  EXPECT_EQ(r.programmes_outside_window, 3u);
  EXPECT_EQ(r.programmes_skipped, 2u);
}

TEST(XmltvReader, ABrokenDocumentKeepsWhatCameBeforeTheFaultAndSaysWhere) {
  const std::string head = tv(programme("20261210100000", "20261210110000", "kept") +
                              programme("20261210110000", "20261210120000", "kept too"));
  const std::string whole = head.substr(0, head.size() - 6);  // without "</tv>\n"
  const struct {
    const char* name;
    std::string document;
    const char* problem;
  } cases[] = {
      {"cut off", whole, "The guide is damaged at line"},
      {"bad markup", whole + "<programme start=\"x\" <title>\n</tv>", "The guide is damaged at line 6"},
      {"gzip cut short", gzip(whole + programme("20261210120000", "", "lost")).substr(0, gzip(whole).size() - 8),
       "The compressed guide ends early"},
      {"gzip damaged", [&] { std::string g = gzip(head); g[g.size() - 5] ^= 0x55; return g; }(),
       "The compressed guide is damaged"},
      // The source's fault lies well past the markup's, yet within what is inflated ahead.
      {"bad markup, then gzip damaged",
       [&] {
         std::string g = gzip(whole + "<programme start=\"x\" <title>\n" + std::string(600'000, ' ') + "</tv>");
         g[g.size() - 5] ^= 0x55;
         return g;
       }(),
       "The guide is damaged at line 6"},
  };
  for (const auto& c : cases) {
    const GuideRead r = read(c.document);
    EXPECT_NE(r.problem.find(c.problem), std::string::npos) << c.name << ": " << r.problem;
    const std::vector<std::string> kept = listing(r, "one");
    ASSERT_GE(kept.size(), 1u) << c.name;
    EXPECT_EQ(kept[0], "36000..39600 kept") << c.name;
  }
  // Members one after another, as `cat a.gz b.gz` makes, read as one document.
  const GuideRead whole_gzip = read(gzip(head.substr(0, 100)) + gzip(head.substr(100)));
  EXPECT_EQ(whole_gzip.problem, "");
  EXPECT_EQ(listing(whole_gzip, "one").size(), 2u);
}

TEST(XmltvReader, HostileDocumentsFetchNothingAndStayBounded) {
  // Ten entities, each ten of the one before: ten billion letters from a few hundred bytes.
  std::string laughs = "<!DOCTYPE tv [<!ENTITY a \"aaaaaaaaaa\">";
  for (char c = 'b'; c <= 'k'; ++c) {
    std::string ten;
    for (int i = 0; i < 10; ++i) ten += std::string("&") + char(c - 1) + ";";
    laughs += std::string("<!ENTITY ") + c + " \"" + ten + "\">";
  }
  laughs += "]><tv>" + programme("20261210100000", "", "&k;") + "</tv>";
  std::string deep = "<tv>";
  for (int i = 0; i < 1000; ++i) deep += "<x>";
  deep += "</tv>";
  const struct {
    const char* name;
    std::string document;
    const char* problem;
  } cases[] = {
      {"external entity", "<?xml version=\"1.0\"?><!DOCTYPE tv [<!ENTITY secret SYSTEM \"file:///etc/passwd\">]><tv>" +
                              programme("20261210100000", "", "x&secret;y") + "</tv>", ""},
      {"external DTD", "<!DOCTYPE tv SYSTEM \"file:///etc/passwd\"><tv>" + programme("20261210100000", "", "xy") + "</tv>", ""},
      {"entity expansion", laughs, "The guide is damaged"},
      {"huge attribute", "<tv><channel id=\"" + std::string(3 << 20, 'i') + "\"/></tv>", "larger than 1 MB"},
      {"deep nesting", deep, "too deeply"},
  };
  for (const auto& c : cases) {
    const GuideRead r = read(c.document);
    if (*c.problem == 0) {
      EXPECT_EQ(r.problem, "") << c.name;
      EXPECT_EQ(listing(r, "one"), (std::vector<std::string>{"36000..36000 xy"})) << c.name;
    } else {
      EXPECT_NE(r.problem.find(c.problem), std::string::npos) << c.name << ": " << r.problem;
    }
    EXPECT_LT(r.guide.memory_bytes(), size_t{16} << 20) << c.name;
  }
}

TEST(XmltvReader, LongTextsAreCutAtACharacter) {
  // The limit falls inside the two bytes of an "é": the whole letter goes.
  const std::string head(kMaxGuideDescriptionBytes - 1, 'a');
  std::string description = head;
  while (description.size() < 100'000) description += "\u00e9";
  const GuideRead r = read(tv("<programme start=\"20261210100000\" channel=\"one\"><title>t</title><desc>" + description +
                              "</desc></programme>"));
  ASSERT_EQ(r.problem, "");
  EXPECT_EQ(r.guide.text(channel(r, "one")->programmes.at(0).description), head);
}

TEST(XmltvReader, ReadsAGzipFileAndAPlainOneAlike) {
  const std::string document = tv(programme("20261210100000", "20261210110000", "from a file"));
  const QString plain = quovi_test::sandbox_root() + "/guide.xml", packed = quovi_test::sandbox_root() + "/guide.xml.gz";
  ASSERT_TRUE(quovi_test::write_all(plain, QByteArray::fromStdString(document)));
  ASSERT_TRUE(quovi_test::write_all(packed, QByteArray::fromStdString(gzip(document))));
  for (const QString& path : {plain, packed}) {
    std::vector<uint64_t> progress;
    const GuideRead r = read_guide_file(path, {kWindow, [&](uint64_t done, uint64_t) { progress.push_back(done); return true; }});
    EXPECT_EQ(r.problem, "");
    EXPECT_EQ(listing(r, "one"), (std::vector<std::string>{"36000..39600 from a file"}));
    EXPECT_FALSE(progress.empty());
  }
  const GuideRead cancelled = read_guide_file(plain, {kWindow, [](uint64_t, uint64_t) { return false; }});
  EXPECT_TRUE(cancelled.cancelled);
  const GuideRead missing = read_guide_file(quovi_test::sandbox_root() + "/none.xml", {kWindow});
  EXPECT_NE(missing.problem.find("could not be opened"), std::string::npos);
}
