#include "services/remote_copy.h"

#include "services/http_request.h"
#include "short_stall_limits.h"
#include "test_server.h"

#include "peak_memory.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <optional>

namespace {
QByteArray read_all(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void write_all(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

// Compares a file with what reply_generated() sent, a piece at a time.
bool holds_generated(const QString& path, size_t size) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly) || static_cast<size_t>(file.size()) != size) return false;
  constexpr size_t kPiece = 1 << 20;
  for (size_t offset = 0; offset < size; offset += kPiece) {
    const size_t piece = std::min(kPiece, size - offset);
    if (file.read(static_cast<qint64>(piece)) != generated_bytes(offset, piece)) return false;
  }
  return true;
}

class RemoteCopyTest : public ::testing::Test {
 protected:
  // Runs one refresh to its end and answers what it said.
  RemoteCopyResult refresh(const QString& address, qint64 max_bytes = 1 << 20,
                           const std::function<void(RemoteCopyRefresh&)>& meanwhile = {}) {
    RemoteCopyRefresh refresh(address, copy, max_bytes);
    std::optional<RemoteCopyResult> result;
    QObject::connect(&refresh, &RemoteCopyRefresh::finished, [&](const RemoteCopyResult& r) { result = r; });
    refresh.start();
    if (meanwhile) meanwhile(refresh);
    EXPECT_TRUE(wait_until([&] { return result.has_value(); }));
    return result.value_or(RemoteCopyResult{});
  }

  // Files in the copy's folder other than the copy and its info: what a refresh left behind.
  std::string strays() const {
    QStringList names =
        QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    names.removeAll(QFileInfo(copy).fileName());
    names.removeAll(QFileInfo(copy).fileName() + ".source");
    return names.join(", ").toStdString();
  }

  QTemporaryDir dir;
  QString copy = dir.filePath("guide.xml.gz");
  TestServer server;
};

TEST_F(RemoteCopyTest, SecondRefreshIsAnsweredNotModifiedAndKeepsTheCopy) {
  server.reply_with_validators("/guide.xml.gz", "first guide", "\"v1\"", "Wed, 09 Dec 2026 10:00:00 GMT");
  const QString address = server.base() + "/guide.xml.gz";

  EXPECT_EQ(refresh(address).outcome, RemoteCopyResult::Outcome::Updated);
  EXPECT_EQ(read_all(copy), "first guide");
  const RemoteCopyInfo first = read_remote_copy_info(copy);
  EXPECT_EQ(first.address, address);
  EXPECT_EQ(first.etag, "\"v1\"");
  EXPECT_EQ(first.last_modified, "Wed, 09 Dec 2026 10:00:00 GMT");
  EXPECT_TRUE(first.checked_at.isValid());

  EXPECT_EQ(refresh(address).outcome, RemoteCopyResult::Outcome::NotModified);
  EXPECT_EQ(read_all(copy), "first guide");
  EXPECT_GE(read_remote_copy_info(copy).checked_at, first.checked_at);
  EXPECT_EQ(read_remote_copy_info(copy).etag, "\"v1\"");

  const auto received = server.received();
  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(received[0].if_none_match, "");
  EXPECT_EQ(received[1].if_none_match, "\"v1\"");
  EXPECT_EQ(received[1].if_modified_since, "Wed, 09 Dec 2026 10:00:00 GMT");
}

TEST_F(RemoteCopyTest, ConditionsAreSentOnlyForTheCopyOfTheSameAddress) {
  server.reply_with_validators("/a", "from a", "\"a\"", "");
  server.reply_with_validators("/b", "from b", "\"a\"", "");
  EXPECT_EQ(refresh(server.base() + "/a").outcome, RemoteCopyResult::Outcome::Updated);
  // Same validator, other address: the copy of /a must not pass for /b's.
  EXPECT_EQ(refresh(server.base() + "/b").outcome, RemoteCopyResult::Outcome::Updated);
  EXPECT_EQ(read_all(copy), "from b");
  QFile::remove(copy);  // info without its copy: fetch whole
  EXPECT_EQ(refresh(server.base() + "/b").outcome, RemoteCopyResult::Outcome::Updated);
  EXPECT_EQ(read_all(copy), "from b");
}

TEST_F(RemoteCopyTest, AFailedRefreshLeavesTheCopyAndItsInfoAsTheyWere) {
  write_all(copy, "the copy we had");
  RemoteCopyInfo before;
  before.address = "http://example.invalid/x";
  before.etag = "\"old\"";
  before.checked_at = QDateTime::fromString("2026-12-07T12:00:00Z", Qt::ISODate);
  ASSERT_TRUE(write_remote_copy_info(copy, before));
  server.reply("/big", 200, QByteArray(5000, 'x'));
  server.reply("/teapot", 418, "no");
  server.reply_generated("/endless", 8 << 20);
  server.trickle("/trickle", 100000, std::chrono::milliseconds(100));
  const quovi_test::ShortStallLimits limits;

  struct Case {
    const char* what;
    QString address;
    qint64 max_bytes = 1000;
  } cases[] = {
      {"missing", server.base() + "/missing"},
      {"error status", server.base() + "/teapot"},
      {"announced too large", server.base() + "/big"},
      // Megabytes are written before the cap is reached.
      {"grown too large", server.base() + "/endless", 1 << 20},
      // A byte now and then: given up past the stall limits, not held until the user cancels.
      {"trickling", server.base() + "/trickle", 1 << 20},
      {"file address", "file:///etc/passwd"},
      {"other scheme", "ftp://127.0.0.1/x"},
      {"not an address", "just words"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const RemoteCopyResult result = refresh(c.address, c.max_bytes);
    EXPECT_EQ(result.outcome, RemoteCopyResult::Outcome::Failed);
    EXPECT_FALSE(result.error.isEmpty());
    EXPECT_EQ(read_all(copy), "the copy we had");
    EXPECT_EQ(read_remote_copy_info(copy).etag, "\"old\"");
    EXPECT_EQ(read_remote_copy_info(copy).checked_at, before.checked_at);
    EXPECT_EQ(strays(), "");
  }
}

TEST_F(RemoteCopyTest, CancelMidBodyKeepsTheCopyAndItsInfoAndLeavesNoFileBehind) {
  const QByteArray kept = generated_bytes(7, 300000);
  write_all(copy, kept);
  RemoteCopyInfo before;
  before.address = server.base() + "/slow";
  before.etag = "\"kept\"";
  before.checked_at = QDateTime::fromString("2026-12-07T12:00:00Z", Qt::ISODate);
  ASSERT_TRUE(write_remote_copy_info(copy, before));
  constexpr qint64 kFirst = 2 << 20;
  server.stall_after("/slow", QByteArray(2 * kFirst, 'y'), kFirst);
  const RemoteCopyResult result = refresh(server.base() + "/slow", 8 << 20, [&](RemoteCopyRefresh& r) {
    qint64 received = 0;
    QObject::connect(&r, &RemoteCopyRefresh::progress, [&](qint64 count, qint64) { received = count; });
    ASSERT_TRUE(wait_until([&] { return received >= kFirst; }));
    EXPECT_EQ(read_all(copy), kept);  // the body arriving goes elsewhere
    r.cancel();
  });
  EXPECT_EQ(result.outcome, RemoteCopyResult::Outcome::Cancelled);
  EXPECT_EQ(read_all(copy), kept);
  EXPECT_EQ(read_remote_copy_info(copy).etag, before.etag);
  EXPECT_EQ(read_remote_copy_info(copy).checked_at, before.checked_at);
  EXPECT_EQ(strays(), "");
}

TEST_F(RemoteCopyTest, AnEmptyReplyMakesAnEmptyCopy) {
  write_all(copy, "the copy we had");
  server.reply("/empty", 200, "");
  EXPECT_EQ(refresh(server.base() + "/empty").outcome, RemoteCopyResult::Outcome::Updated);
  EXPECT_EQ(read_all(copy), "");
  EXPECT_EQ(read_remote_copy_info(copy).address, server.base() + "/empty");
}

TEST_F(RemoteCopyTest, ACopyThatCannotBeWrittenFailsWithTheReason) {
  server.reply_generated("/guide.xml", 100000);
  copy = dir.filePath("no such folder/guide.xml");
  const RemoteCopyResult result = refresh(server.base() + "/guide.xml");
  EXPECT_EQ(result.outcome, RemoteCopyResult::Outcome::Failed);
  EXPECT_TRUE(result.error.startsWith("Cannot write " + copy)) << result.error.toStdString();
  EXPECT_FALSE(QFileInfo::exists(copy + ".source"));
}

TEST_F(RemoteCopyTest, ALargeBodyIsWrittenAsItArrivesInBoundedMemory) {
  constexpr size_t kSize = 160 << 20;
  server.reply_generated("/large.xml", kSize);
  write_all(copy, "the copy we had");
  const std::optional<double> growth_mb = quovi_test::peak_growth_mb([&] {
    EXPECT_EQ(refresh(server.base() + "/large.xml", HttpRequest::kLargestBody).outcome,
              RemoteCopyResult::Outcome::Updated);
  });
  EXPECT_TRUE(holds_generated(copy, kSize));
  EXPECT_EQ(strays(), "");
  // Holding the body would cost its size; writing it as it comes costs a few buffers.
  if (growth_mb) {
    EXPECT_LT(*growth_mb * (1 << 20), kSize / 8);
  }
}

TEST(RemoteCopyInfoFile, DamagedOrHostileInfoIsNotTrusted) {
  QTemporaryDir dir;
  const QString copy = dir.filePath("list.m3u");
  write_all(copy + ".source", QByteArray("address=http://x/\netag=") + QByteArray(5000, 'e') + "\nchecked_at=yesterday\n");
  const RemoteCopyInfo info = read_remote_copy_info(copy);
  EXPECT_EQ(info.address, "http://x/");
  EXPECT_TRUE(info.etag.isEmpty());  // too long to send back
  EXPECT_FALSE(info.checked_at.isValid());
  write_all(copy + ".source", QByteArray(100000, 'a'));
  EXPECT_TRUE(read_remote_copy_info(copy).address.isEmpty());
}

TEST(RemoteCopyDue, FollowsTheAgeOfTheLastCheck) {
  const QDateTime now = QDateTime::fromString("2026-12-10T12:00:00Z", Qt::ISODate);
  struct Case {
    const char* what;
    QDateTime checked;
    bool due;
  } cases[] = {
      {"never checked", {}, true},
      {"an hour ago", now.addSecs(-3600), false},
      {"a day ago", now.addDays(-1), true},
      {"clock set back", now.addSecs(3600), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RemoteCopyInfo info;
    info.checked_at = c.checked;
    EXPECT_EQ(remote_copy_due(info, now, 24 * 3600), c.due);
  }
}
}  // namespace
