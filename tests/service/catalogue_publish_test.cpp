#include "catalogue/channel_database.h"
#include "catalogue_build.h"
#include "catalogue_file.h"
#include "catalogue_publish.h"
#include "test_env.h"

#include <QFile>
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <map>
#include <thread>

namespace {
// A small catalogue whose one local channel names its service by the placeholder.
std::vector<ZipMember> members_naming_the_service() {
  return {{"version.dat", "201301311530\r\n"},
          {"countries.dat", "0|All Countries\r\n1|This computer\r\n"},
          {"genres.dat", "0|All Genres\r\n1|Test signal\r\n"},
          {"tv.dat", "1|VGVzdA==|@QUOVI_SERVICE@/media/testcard.webm|128|1|@QUOVI_SERVICE@/update.html|1|1||0|0|0|0|0|0|0\r\n"
                     "2|T3V0|http://elsewhere.example/live|128|1|http://elsewhere.example/|1|1||0|0|0|0|0|0|0\r\n"}};
}

std::string write_catalogue(const QString& path, std::vector<ZipMember> members) {
  const std::string bytes = make_channel_file(members, QDateTime(QDate(2013, 1, 31), QTime(15, 30)));
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes.data(), static_cast<qint64>(bytes.size()));
  return bytes;
}

Catalogue loaded(const std::string& bytes) {
  Catalogue info;
  load_channel_database_bytes(info, {}, bytes);
  return info;
}

struct Clock {
  QDateTime now{QDate(2026, 5, 4), QTime(9, 15, 30)};
  std::function<QDateTime()> source() {
    return [this] { return now; };
  }
};
}  // namespace

TEST(CataloguePublish, TheBaseAddressComesFromAPlainHostHeader) {
  const std::string fallback = "http://127.0.0.1:8741";
  const struct {
    const char* host;
    std::string base;
  } cases[] = {
      {"127.0.0.1:9000", "http://127.0.0.1:9000"},
      {"localhost", "http://localhost"},
      {"media-box.lan:8741", "http://media-box.lan:8741"},
      {"[::1]:8741", "http://[::1]:8741"},
      {"[fe80::1]", "http://[fe80::1]"},
      {"", fallback},
      {"a b:80", fallback},
      {"evil.example/path:80", fallback},
      {"user@host:80", fallback},
      {"host:0", fallback},
      {"host:65536", fallback},
      {"host:80x", fallback},
      {"[::1", fallback},
      {"[]:80", fallback},
      {"[::1]x", fallback},
      {"[::1]:", fallback},
  };
  for (const auto& c : cases) EXPECT_EQ(service_base_for_host(c.host, fallback), c.base) << c.host;
  EXPECT_EQ(service_base_for_host(std::string(300, 'a'), fallback), fallback);

  EXPECT_EQ(listening_base("127.0.0.1", 8741), "http://127.0.0.1:8741");
  EXPECT_EQ(listening_base("0.0.0.0", 9000), "http://127.0.0.1:9000");
  EXPECT_EQ(listening_base("::", 9000), "http://[::1]:9000");
  EXPECT_EQ(listening_base("::1", 9000), "http://[::1]:9000");
}

// The demo's local channels carry the address each client used; other channels and every other
// byte of the catalogue stay.
TEST(CataloguePublish, LocalChannelsGetTheAddressTheClientUsed) {
  const QString path = quovi_test::sandbox_root() + "/demo.dat";
  write_catalogue(path, members_naming_the_service());
  PublishOptions options;
  options.default_base = "http://127.0.0.1:5555";
  CatalogueFile file(path.toStdString(), options);

  for (const std::string base : {"http://127.0.0.1:9000", "http://media-box.lan:8741", ""}) {
    const CatalogueFile::Snapshot snapshot = file.current(base);
    ASSERT_TRUE(snapshot.problem.empty()) << snapshot.problem;
    const Catalogue info = loaded(*snapshot.bytes);
    const std::string expected = base.empty() ? options.default_base : base;
    ASSERT_EQ(info.channels.size(), 2u);
    EXPECT_EQ(info.channels[0].url.str(), expected + "/media/testcard.webm");
    EXPECT_EQ(info.channels[0].homepage.str(), expected + "/update.html");
    EXPECT_EQ(info.channels[1].url.str(), "http://elsewhere.example/live");
    EXPECT_EQ(info.version_stamp, "201301311530");  // not stamped afresh unless asked
    EXPECT_EQ(snapshot.stamp, "201301311530");
    EXPECT_EQ(file.current(base).bytes, snapshot.bytes) << "built once per address";
  }
  // Any number of addresses, a bounded number kept.
  for (int port = 1; port <= 40; ++port) {
    const std::string base = "http://h:" + std::to_string(port);
    EXPECT_EQ(loaded(*file.current(base).bytes).channels[0].url.str(), base + "/media/testcard.webm");
  }
}

TEST(CataloguePublish, ACatalogueThatNamesNoServiceIsServedAsItIs) {
  const QString path = quovi_test::sandbox_root() + "/plain.dat";
  std::vector<ZipMember> members = members_naming_the_service();
  members[3].content = "2|T3V0|http://elsewhere.example/live|128|1||1|1||0|0|0|0|0|0|0\r\n";
  const std::string bytes = write_catalogue(path, members);
  CatalogueFile file(path.toStdString());
  const CatalogueFile::Snapshot snapshot = file.current("http://127.0.0.1:9000");
  EXPECT_EQ(*snapshot.bytes, bytes);
  EXPECT_EQ(snapshot.stamp, "201301311530");
}

// With a fresh stamp the catalogue is stamped when the service reads it, again when the file
// changes and once the stamp is a day old; never earlier than what it published before.
TEST(CataloguePublish, AFreshStampIsTheTimeOfPublishing) {
  const QString path = quovi_test::sandbox_root() + "/fresh.dat";
  write_catalogue(path, members_naming_the_service());
  Clock clock;
  PublishOptions options;
  options.fresh_stamp = true;
  options.clock = clock.source();
  CatalogueFile file(path.toStdString(), options);

  CatalogueFile::Snapshot first = file.current();
  ASSERT_TRUE(first.problem.empty()) << first.problem;
  EXPECT_EQ(first.stamp, "202605040915");
  EXPECT_EQ(loaded(*first.bytes).version_stamp, "202605040915");

  clock.now = clock.now.addSecs(23 * 3600);
  EXPECT_EQ(file.current().stamp, "202605040915");
  EXPECT_EQ(file.current().bytes, first.bytes);

  clock.now = clock.now.addSecs(3600);
  const CatalogueFile::Snapshot next_day = file.current();
  EXPECT_EQ(next_day.stamp, "202605050915");
  EXPECT_EQ(loaded(*next_day.bytes).version_stamp, "202605050915");

  // A rebuilt file is stamped at once, later than anything published, even when the clock went back.
  clock.now = QDateTime(QDate(2026, 5, 5), QTime(8, 0));
  std::vector<ZipMember> rebuilt = members_naming_the_service();
  rebuilt[3].content += "3|TmV3|http://new.example/|128|1||1|1||0|0|0|0|0|0|0\r\n";
  write_catalogue(path, rebuilt);
  const CatalogueFile::Snapshot after_rebuild = file.current();
  EXPECT_EQ(after_rebuild.stamp, "202605050916");
  EXPECT_EQ(loaded(*after_rebuild.bytes).channels.size(), 3u);
}

namespace {
// A catalogue naming the service, published through a file that counts its builds by address and
// calls `meanwhile` during each.
struct CountedCatalogue {
  explicit CountedCatalogue(PublishOptions options = {}, std::function<void(const std::string&)> meanwhile = {}) {
    const QString path = quovi_test::sandbox_root() + "/counted.dat";
    write_catalogue(path, members_naming_the_service());
    options.building = [this, meanwhile](const std::string& address) {
      {
        std::lock_guard lock(mutex);
        ++builds[address];
      }
      if (meanwhile) meanwhile(address);
    };
    file = std::make_unique<CatalogueFile>(path.toStdString(), options);
  }
  int builds_of(const std::string& address) {
    std::lock_guard lock(mutex);
    return builds[address];
  }
  int total_builds() {
    std::lock_guard lock(mutex);
    int total = 0;
    for (const auto& [address, count] : builds) total += count;
    return total;
  }
  std::mutex mutex;
  std::map<std::string, int> builds;
  std::unique_ptr<CatalogueFile> file;
};

std::string host(char name) { return std::string("http://") + name + ".example:8741"; }
}  // namespace

// Clients rotating over a few addresses are each served the catalogue built for theirs the first
// time: no request costs a build after that.
TEST(CataloguePublish, RotatingAddressesAreEachBuiltOnce) {
  CountedCatalogue catalogue;
  std::map<std::string, std::shared_ptr<const std::string>> first;
  for (int round = 0; round < 3; ++round)
    for (char name = 'a'; name < 'a' + 9; ++name) {
      const auto bytes = catalogue.file->current(host(name)).bytes;
      if (round == 0) first[host(name)] = bytes;
      EXPECT_EQ(bytes.get(), first[host(name)].get()) << "round " << round << ", " << host(name);
    }
  EXPECT_EQ(catalogue.total_builds(), 9);
}

// The catalogues kept are bounded by number and by bytes; past the bound the one asked for least
// recently is built again when asked for, and no other.
TEST(CataloguePublish, TheCataloguesKeptAreBoundedLeastRecentlyAskedForFirst) {
  const size_t one = CountedCatalogue().file->current(host('a')).bytes->size();
  const struct {
    const char* what;
    size_t addresses;
    size_t bytes;
    std::string asked;
    std::string built;
  } cases[] = {
      {"three kept by number", 3, one * 100, "abcadacdbd", "abcdb"},
      {"two kept by bytes", 100, one * 5 / 2, "ababcacbab", "abcaba"},
      {"one larger than the bound still kept", 100, 1, "aabba", "aba"},
  };
  for (const auto& c : cases) {
    PublishOptions options;
    options.addresses_kept = c.addresses;
    options.bytes_kept = c.bytes;
    CountedCatalogue catalogue(options);
    std::string built;
    for (const char name : c.asked) {
      const int before = catalogue.total_builds();
      EXPECT_TRUE(catalogue.file->current(host(name)).problem.empty());
      if (catalogue.total_builds() > before) built += name;
    }
    EXPECT_EQ(built, c.built) << c.what;
  }
}

// A catalogue being built for one address holds up no request for another, and a second request
// for that address waits for its build instead of building it again.
TEST(CataloguePublish, ABuildHoldsUpNoRequestForAnotherAddress) {
  std::promise<void> entered;
  std::once_flag entering;
  std::promise<void> release;
  const std::shared_future<void> released = release.get_future().share();
  CountedCatalogue catalogue({}, [&](const std::string& address) {
    if (address != host('s')) return;
    std::call_once(entering, [&] { entered.set_value(); });
    released.wait();
  });
  const auto kept = catalogue.file->current(host('k')).bytes;

  auto slow = std::async(std::launch::async, [&] { return catalogue.file->current(host('s')); });
  entered.get_future().wait();
  auto joining = std::async(std::launch::async, [&] { return catalogue.file->current(host('s')); });
  auto others = std::async(std::launch::async, [&] {
    return std::pair{catalogue.file->current(host('k')).bytes, catalogue.file->current(host('n')).bytes};
  });
  // Not a measure of time, only a guard against waiting for ever: the answers come at once unless
  // the build holds them up.
  const bool others_answered = others.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
  EXPECT_TRUE(others_answered) << "a request for another address waited for the build";
  // Gives the joining request its chance to find the build under way.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  release.set_value();
  if (others_answered) {
    const auto [k, n] = others.get();
    EXPECT_EQ(k.get(), kept.get());
    ASSERT_NE(n, nullptr);
    EXPECT_FALSE(n->empty());
  }
  const auto first = slow.get();
  EXPECT_TRUE(first.problem.empty()) << first.problem;
  EXPECT_EQ(joining.get().bytes.get(), first.bytes.get());
  EXPECT_EQ(catalogue.builds_of(host('s')), 1);
}
