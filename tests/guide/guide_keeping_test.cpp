// What a guide keeps of a document: the user's channels' programmes, each text once, within bounds,
// whatever the document holds.
#include "guide/guide_wanted_channels.h"
#include "guide/xmltv_reader.h"
#include "guide_bytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
const GuideWindow kWindow = guide_window(QDate(2026, 12, 10), QTimeZone::utc());

std::string tv(const std::string& body) { return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tv>\n" + body + "</tv>\n"; }

std::string channel_element(const std::string& id, const std::string& name) {
  return "<channel id=\"" + id + "\"><display-name>" + name + "</display-name></channel>\n";
}

// 2026-12-10 plus `seconds` (less than three days), as a guide writes it.
std::string at(int seconds) {
  const int day = 10 + seconds / 86400, hour = seconds / 3600 % 24, minute = seconds / 60 % 60, second = seconds % 60;
  char text[32];
  std::snprintf(text, sizeof text, "202612%02d%02d%02d%02d +0000", day, hour, minute, second);
  return text;
}

std::string programme_element(const std::string& channel, int start, const std::string& title,
                              const std::string& description = {}, const std::string& stop = {}) {
  return "<programme start=\"" + at(start) + "\"" + (stop.empty() ? "" : " stop=\"" + stop + "\"") + " channel=\"" +
         channel + "\"><title>" + title + "</title>" + (description.empty() ? "" : "<desc>" + description + "</desc>") +
         "</programme>\n";
}

GuideRead read(const std::string& document, const GuideWantedChannels* wanted = nullptr,
               size_t budget = kGuidesMemoryBudget) {
  GuideReadOptions options(kWindow);
  options.wanted = wanted;
  options.memory_budget = budget;
  return read_guide_bytes(document, options);
}

const GuideChannel* find_channel(const Guide& guide, std::string_view id) {
  for (const GuideChannel& c : guide.channels)
    if (guide.text(c.id) == id) return &c;
  return nullptr;
}

size_t programmes_of(const Guide& guide, std::string_view id) {
  const GuideChannel* c = find_channel(guide, id);
  return c ? c->programmes.size() : 0;
}
}  // namespace

TEST(GuideKeeping, KeepsTheProgrammesOfTheUsersChannelsOnlyAndEveryChannelToMatchByHand) {
  std::string body;
  for (int i = 0; i < 1000; ++i) body += channel_element("c" + std::to_string(i), "Channel " + std::to_string(i));
  for (int i = 0; i < 1000; ++i)
    for (int p = 0; p < 3; ++p) body += programme_element("c" + std::to_string(i), 36000 + p * 1800, "Show");
  // Channels no element names: kept by their id alone.
  body += programme_element("loose.wanted", 36000, "Loose") + programme_element("loose.other", 36000, "Other");

  UserChannelNames mine;
  mine.add_name("Channel 17 HD", false);  // by its name
  mine.add_name("Caf\xe9 Kanal", true);   // Windows-1252, as the catalogue keeps names: matches no one
  mine.ids = {"C5", "LOOSE.WANTED"};      // tvg-ids, compared without regard to case
  const GuideWantedChannels wanted = wanted_channels_of(mine);

  const GuideRead r = read(tv(body), &wanted);
  ASSERT_EQ(r.problem, "");
  EXPECT_EQ(r.guide.channels.size(), 1002u);
  EXPECT_EQ(r.guide.programme_count(), 7u);
  EXPECT_EQ(programmes_of(r.guide, "c5"), 3u);
  EXPECT_EQ(programmes_of(r.guide, "c17"), 3u);
  EXPECT_EQ(programmes_of(r.guide, "loose.wanted"), 1u);

  // Without a list of channels (the catalogue tool), every channel's programmes.
  EXPECT_EQ(read(tv(body)).guide.programme_count(), 3002u);
}

TEST(GuideKeeping, MemoryFollowsWhatIsKeptNotWhatWasSeen) {
  const std::string big(8000, 'd');
  std::string same_start, repeated_texts, renamed, before_window;
  // One start again and again, each time with a description of its own.
  for (int i = 0; i < 3000; ++i) same_start += programme_element("a", 36000, "News", big + std::to_string(i));
  // One long description all through three channels' days.
  for (int i = 0; i < 3000; ++i)
    repeated_texts += programme_element("c" + std::to_string(i % 3), i / 3 * 60, "Film", big);
  // Two channels named again and again, each time with all the names a channel may have.
  for (int round = 0; round < 500; ++round)
    for (const char* id : {"a", "b"}) {
      renamed += "<channel id=\"" + std::string(id) + "\">";
      for (int n = 0; n < 32; ++n) renamed += "<display-name>" + std::string(id) + std::to_string(round * 32 + n) + "</display-name>";
      renamed += "</channel>";
    }
  // Programmes without an end before the window: only the last of them may still run into it.
  for (int i = 0; i < 3000; ++i)
    before_window += "<programme start=\"20261208" + at(i * 20).substr(8) + "\" channel=\"a\"><title>Early</title><desc>" + big +
                     std::to_string(i) + "</desc></programme>";
  before_window += programme_element("a", 3600, "Late");

  const struct {
    const char* name;
    std::string document;
    size_t programmes;
    size_t names;
  } cases[] = {
      {"same start", same_start, 1, 0},
      {"repeated texts", repeated_texts, 3000, 0},
      {"channels named again", renamed, 0, 64},
      {"before the window", before_window, 2, 0},
  };
  for (const auto& c : cases) {
    const GuideRead r = read(tv(c.document));
    EXPECT_EQ(r.problem, "") << c.name;
    EXPECT_EQ(r.guide.programme_count(), c.programmes) << c.name;
    EXPECT_EQ(r.guide.names.size(), c.names) << c.name;
    // One block of texts and the records.
    EXPECT_LT(r.guide.memory_bytes(), size_t{6} << 20) << c.name;
  }
}

TEST(GuideKeeping, HostileDocumentsAreRefusedEarlyOrCutWithAMessage) {
  const std::string blanks = tv(std::string(40 << 20, ' '));
  std::string long_ids;
  for (int i = 0; i < 50; ++i) long_ids += channel_element(std::string(300, 'x') + std::to_string(i), "Long");
  long_ids += channel_element("fine", "Fine");
  // One without a stop before the window is known to run into it only at the end.
  std::string crowded = "<programme start=\"20261208230000 +0000\" channel=\"busy\"><title>Overnight</title></programme>\n";
  for (int i = 0; i < 9000; ++i) crowded += programme_element("busy", i * 20, "Clip");
  std::string unique_texts;
  for (int i = 0; i < 3000; ++i) unique_texts += programme_element("a", i * 60, "Show", std::string(8000, 'u') + std::to_string(i));

  const struct {
    const char* name;
    std::string document;
    size_t budget;
    const char* problem;
    size_t channels;
  } cases[] = {
      {"blanks", blanks, kGuidesMemoryBudget, "for each of its channels and programmes", 0},
      {"blanks, compressed", gzip(blanks), kGuidesMemoryBudget, "grows to more than 100 times its size", 0},
      {"long ids", tv(long_ids), kGuidesMemoryBudget, "50 channels have ids longer than 256 bytes", 1},
      {"crowded channel", tv(crowded), kGuidesMemoryBudget, "more than 8192 programmes", 1},
      {"past the budget", tv(unique_texts), size_t{8} << 20, "memory set aside", 1},
  };
  for (const auto& c : cases) {
    const GuideRead r = read(c.document, nullptr, c.budget);
    EXPECT_NE(r.problem.find(c.problem), std::string::npos) << c.name << ": " << r.problem;
    EXPECT_EQ(r.guide.channels.size(), c.channels) << c.name;
    for (const GuideChannel& channel : r.guide.channels)
      EXPECT_LE(channel.programmes.size(), kMaxGuideProgrammesPerChannel) << c.name;
    EXPECT_LT(r.guide.memory_bytes(), size_t{16} << 20) << c.name;
  }
}

TEST(GuideKeeping, ImplausibleDatesAreDroppedAndWindowsCodePageIsRead) {
  const GuideRead dated = read(tv("<programme start=\"00000101000000\" stop=\"99991231000000\" channel=\"a\"><title>Always</title></programme>"
                                  "<programme start=\"20261210100000\" stop=\"20261230100000\" channel=\"a\"><title>Weeks</title></programme>"
                                  // No stop, and the next start ten days on: not a programme running all that time.
                                  "<programme start=\"20261130100000\" channel=\"a\"><title>Gap</title></programme>" +
                                  programme_element("a", 36000, "Real")));
  EXPECT_EQ(dated.problem, "");
  EXPECT_EQ(programmes_of(dated.guide, "a"), 1u);
  EXPECT_EQ(dated.programmes_skipped, 2u);

  const std::string windows = "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<tv>" +
                              channel_element("a", "Caf\xe9") + programme_element("a", 36000, "\x80 und \x93" "Film\x94") + "</tv>";
  const GuideRead r = read(windows);
  ASSERT_EQ(r.problem, "");
  const GuideChannel* a = find_channel(r.guide, "a");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(r.guide.text(r.guide.names_of(*a).front().name), "Caf\u00e9");

  // A language tag is short; one of any length would be kept with every name.
  const GuideRead tagged = read(tv("<channel id=\"b\"><display-name lang=\"" + std::string(100, 'x') + "\">B</display-name></channel>"));
  ASSERT_EQ(tagged.guide.channels.size(), 1u);
  EXPECT_EQ(tagged.guide.text(tagged.guide.names_of(tagged.guide.channels[0]).front().lang), std::string(kMaxGuideLangBytes, 'x'));
  EXPECT_EQ(r.guide.text(a->programmes.at(0).title), "\u20ac und \u201cFilm\u201d");
}
