#include "services/logo_cache.h"

#include "services/logo_image.h"
#include "services/remote_copy.h"
#include "peak_memory.h"
#include "test_server.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>
#include <zlib.h>

#include <optional>

namespace {
QByteArray encoded(const QImage& image, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format);
  return bytes;
}

QByteArray png_of(QSize size, QColor colour = Qt::red) {
  QImage image(size, QImage::Format_ARGB32);
  image.fill(colour);
  return encoded(image, "png");
}

// A small PNG whose header claims `width` x `height`, its checksum made good, so that only the
// size gives it away.
QByteArray png_claiming(quint32 width, quint32 height) {
  QByteArray bytes = png_of({4, 4});
  // Signature (8), then the IHDR chunk: length (4), type (4), width (4), height (4), ..., CRC.
  qToBigEndian(width, bytes.data() + 16);
  qToBigEndian(height, bytes.data() + 20);
  const quint32 crc = crc32(0, reinterpret_cast<const Bytef*>(bytes.constData() + 12), 17);
  qToBigEndian(crc, bytes.data() + 29);
  return bytes;
}
}  // namespace

TEST(LogoImage, OnlyWholePicturesOfTheKnownKindsWithinBoundsAreShown) {
  const QByteArray png = png_of({64, 32});
  QByteArray garbled = png;
  for (qsizetype i = 40; i < garbled.size() - 12; ++i) garbled[i] = static_cast<char>(i * 7);
  const struct {
    const char* what;
    QByteArray bytes;
    QSize shown;  // invalid: not shown
  } cases[] = {
      {"png", png, {64, 32}},
      {"jpeg", encoded(QImage(40, 20, QImage::Format_RGB32), "jpeg"), {40, 20}},
      {"bmp", encoded(QImage(10, 10, QImage::Format_RGB32), "bmp"), {10, 10}},
      {"ico", encoded(QImage(16, 16, QImage::Format_ARGB32), "ico"), {16, 16}},
      {"large, kept smaller in its proportions", png_of({1000, 250}), {192, 48}},
      {"png cut short", png.left(png.size() - 20), {}},
      {"png cut in its header", png.left(30), {}},
      {"png garbled", garbled, {}},
      {"header claims 100000 x 100000", png_claiming(100000, 100000), {}},
      {"wider than any logo", png_of({3000, 8}), {}},
      {"svg", "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\"/>", {}},
      {"an error page", "<html><body>Not found</body></html>", {}},
      {"nothing", QByteArray(), {}},
      {"past the size cap", png + QByteArray(kMaxLogoBytes, '\0'), {}},
  };
  for (const auto& c : cases) {
    const QImage image = decode_logo(c.bytes);
    EXPECT_EQ(image.isNull() ? QSize() : image.size(), c.shown) << c.what;
  }
}

TEST(LogoImage, AddressesMustBeNetworkOnesSpokenOverHttp) {
  const struct {
    const char* address;
    bool fetched;
  } cases[] = {
      {"http://logos.example/a.png", true},
      {"https://logos.example/a.png?size=64", true},
      {"file:///etc/passwd", false},
      {"/home/user/logo.png", false},
      {"ftp://logos.example/a.png", false},
      {"rtsp://cam.example/logo.png", false},  // a network address, but not one an image comes over
      {"http:///no-host.png", false},
      {"data:image/png;base64,iVBORw0KGgo=", false},
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(logo_fetch_address(QString::fromUtf8(c.address)).has_value(), c.fetched) << c.address;
  EXPECT_FALSE(logo_fetch_address("http://logos.example/" + QString(kMaxLogoAddressBytes, 'a')));
}

class LogoCacheTest : public ::testing::Test {
 protected:
  // The logo as a fresh cache (nothing in memory) finds it, waiting for the fetch when there is one.
  std::optional<QImage> logo_of(const QString& address) {
    LogoCache cache(folder.path());
    std::optional<QImage> image = cache.logo(address);
    if (image) return image;
    QObject::connect(&cache, &LogoCache::ready, [&](const QString& ready, const QImage& logo) {
      if (ready == address) image = logo;
    });
    EXPECT_TRUE(wait_until([&] { return image.has_value(); }, 10000)) << address.toStdString();
    return image;
  }

  QStringList files() const { return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden); }

  QTemporaryDir folder;
  TestServer server;
};

TEST_F(LogoCacheTest, ACopyIsKeptAndAskedForAgainOnlyConditionallyOnceItIsDue) {
  server.reply_with_validators("/logo.png", png_of({30, 15}), "\"v1\"", "Wed, 09 Dec 2026 10:00:00 GMT");
  const QString address = server.base() + "/logo.png";

  EXPECT_EQ(logo_of(address).value_or(QImage()).size(), QSize(30, 15));
  // Wanted again the same day, also in another session: the copy, without a request.
  EXPECT_EQ(logo_of(address).value_or(QImage()).size(), QSize(30, 15));
  ASSERT_EQ(server.received().size(), 1u);
  EXPECT_EQ(server.received()[0].if_none_match, "");

  // A day later the server is asked whether it changed; it did not, and the copy is shown.
  const QString copy = LogoCache(folder.path()).copy_path(address);
  RemoteCopyInfo info = read_remote_copy_info(copy);
  info.checked_at = info.checked_at.addSecs(-LogoCache::kRefreshSeconds - 60);
  ASSERT_TRUE(write_remote_copy_info(copy, info));
  EXPECT_EQ(logo_of(address).value_or(QImage()).size(), QSize(30, 15));
  const std::vector<TestServer::Received> received = server.received();
  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(received[1].if_none_match, "\"v1\"");
  EXPECT_EQ(received[1].if_modified_since, "Wed, 09 Dec 2026 10:00:00 GMT");
  EXPECT_TRUE(read_remote_copy_info(copy).checked_at.secsTo(QDateTime::currentDateTimeUtc()) < 60);
}

TEST_F(LogoCacheTest, AFiftyMegabyteLogoIsRefusedWhileItArrives) {
  // Sent in chunks without announcing its size: only counting what arrives can stop it.
  server.reply_generated("/huge.png", size_t{50} << 20);
  std::optional<QImage> logo;
  const std::optional<double> growth = quovi_test::peak_growth_mb([&] { logo = logo_of(server.base() + "/huge.png"); });
  ASSERT_TRUE(logo.has_value());
  EXPECT_TRUE(logo->isNull());
  if (growth) EXPECT_LT(*growth, 12.0);
  EXPECT_TRUE(files().isEmpty()) << files().join(", ").toStdString();
}

TEST_F(LogoCacheTest, WhatIsNotAPictureIsNotShown) {
  const QByteArray png = png_of({20, 20});
  server.reply("/broken.png", 200, png.left(png.size() / 2));
  server.reply("/page.png", 200, "<html>Moved</html>");
  server.reply("/gone.png", 404, png);
  for (const char* path : {"/broken.png", "/page.png", "/gone.png", "/nowhere.png"}) {
    const std::optional<QImage> logo = logo_of(server.base() + path);
    ASSERT_TRUE(logo.has_value()) << path;
    EXPECT_TRUE(logo->isNull()) << path;
  }
  // Addresses that may not be fetched are answered at once, without a request.
  LogoCache cache(folder.path());
  for (const QString& address : {QStringLiteral("file:///etc/passwd"), QStringLiteral("ftp://127.0.0.1/a.png")}) {
    const std::optional<QImage> logo = cache.logo(address);
    ASSERT_TRUE(logo.has_value());
    EXPECT_TRUE(logo->isNull());
  }
  EXPECT_EQ(server.received().size(), 4u);
}

// Copies no screen wanted for the time allowed go with their info, as do stray files of that age;
// a copy checked since stays, however old its picture.
TEST(LogoCachePrune, CopiesUnusedForLongGoWithTheirInfo) {
  QTemporaryDir folder;
  const QDateTime now = QDateTime::currentDateTimeUtc();
  const qint64 day = 24 * 3600;
  const struct {
    const char* name;
    qint64 age_days;
    bool stays;
  } files[] = {
      {"unused", 61, false}, {"unused.source", 61, false},  // not wanted for two months
      {"kept", 300, true},   {"kept.source", 2, true},      // an old picture, checked two days ago
      {"fresh", 0, true},    {"fresh.source", 0, true},
      {"kept.Ab12Cd", 61, false},                           // what a write cut short left
      {"lost", 61, false},                                  // a copy whose info is gone
      {"new", 1, true},                                     // a copy whose info is being written
  };
  for (const auto& f : files) {
    QFile file(folder.filePath(f.name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
    file.flush();  // else the write at close would date it now
    ASSERT_TRUE(file.setFileTime(now.addSecs(-f.age_days * day), QFileDevice::FileModificationTime));
  }
  prune_logo_copies(folder.path(), now, 60 * day);
  for (const auto& f : files) EXPECT_EQ(QFile::exists(folder.filePath(f.name)), f.stays) << f.name;
}
