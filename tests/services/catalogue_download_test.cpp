#include "services/catalogue_download.h"

#include "catalogue/catalogue_paths.h"
#include "services/http_request.h"
#include "services/service_addresses.h"
#include "test_env.h"
#include "test_server.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <gtest/gtest.h>

namespace {
TEST(FormatSize, Table) {
  const std::pair<int64_t, const char*> cases[] = {
      {0, "0 b"},           {1023, "1023 b"},         {1024, "1 Kb"},           {999999, "977 Kb"},
      {1000000, "1.00 Mb"}, {1234567, "1.23 Mb"},     {-5, "-5 b"},             {512000, "500 Kb"},
      {1024000, "1.02 Mb"}, {5000000000LL, "5000.00 Mb"},
  };
  for (const auto& [n, text] : cases) EXPECT_EQ(format_size(n), QString::fromUtf8(text)) << n;
}

TEST(Progress, BarAndText) {
  EXPECT_EQ(progress_percent(512000, 1024000), 50);
  EXPECT_EQ(progress_text(512000, 1024000), " downloading  500 Kb of 1.02 Mb ...");
  EXPECT_EQ(progress_percent(1024000, 1024000), 100);
  // An unannounced size leaves the bar where it was.
  EXPECT_EQ(progress_percent(10, 0), std::nullopt);
  EXPECT_EQ(progress_percent(10, -1), std::nullopt);
  // More than announced never runs the bar past its end.
  EXPECT_EQ(progress_percent(300, 100), 100);
}

TEST(InterpretReply, HeaderChecks) {
  using Kind = DownloadReply::Kind;
  QByteArray wrong_length_up = catalogue_reply(258, "abcd");
  wrong_length_up[2] = static_cast<char>(wrong_length_up[2] + 1);
  QByteArray wrong_length_down = catalogue_reply(258, "abcd");
  wrong_length_down[2] = static_cast<char>(wrong_length_down[2] - 1);
  QByteArray negative_length = catalogue_reply(258, "abcd");
  negative_length[5] = static_cast<char>(0xFF);
  struct Case {
    const char* what;
    QString error;
    QByteArray body;
    Kind kind;
    QString status;
  } cases[] = {
      {"transfer error wins", "Could not connect", catalogue_reply(258, "xx"), Kind::Failed, "Could not connect"},
      {"empty body", {}, {}, Kind::Incomplete, kStatusIncomplete},
      {"seven bytes", {}, catalogue_reply(259, "a"), Kind::Incomplete, kStatusIncomplete},
      {"length one more", {}, wrong_length_up, Kind::Incomplete, kStatusIncomplete},
      {"length one less", {}, wrong_length_down, Kind::Incomplete, kStatusIncomplete},
      {"negative length", {}, negative_length, Kind::Incomplete, kStatusIncomplete},
      {"eight-byte message", {}, catalogue_reply(259, "ok"), Kind::Message, "ok"},
      {"message in Windows-1252", {}, catalogue_reply(259, "Caf\xe9 closed"), Kind::Message, QString::fromUtf8("Café closed")},
      {"catalogue", {}, catalogue_reply(258, "payload"), Kind::Catalogue, {}},
      {"code 257", {}, catalogue_reply(257, "payload"), Kind::UnknownProtocol, kStatusUnknownProtocol},
      {"code 0", {}, catalogue_reply(0, "payload"), Kind::UnknownProtocol, kStatusUnknownProtocol},
  };
  for (const Case& c : cases) {
    const DownloadReply reply = interpret_reply(c.error, c.body.toStdString());
    EXPECT_EQ(reply.kind, c.kind) << c.what;
    EXPECT_EQ(reply.status, c.status) << c.what;
  }
  EXPECT_EQ(interpret_reply({}, catalogue_reply(258, "payload").toStdString()).payload, "payload");
}

TEST(InterpretReply, AMessageIsCutToOneLineOfStatus) {
  const QByteArray at_limit(kMaxMessageBytes, 'm');
  EXPECT_EQ(interpret_reply({}, catalogue_reply(259, at_limit).toStdString()).status, QString::fromLatin1(at_limit));
  const DownloadReply cut = interpret_reply({}, catalogue_reply(259, at_limit + QByteArray(1000000, 'n')).toStdString());
  EXPECT_EQ(cut.kind, DownloadReply::Kind::Message);
  EXPECT_EQ(cut.status, QString::fromLatin1(at_limit) + "...");
}

TEST(CatalogueLimit, FromTheSetting) {
  const std::pair<QVariant, int> cases[] = {
      {QVariant(), kDefaultCatalogueLimitMb}, {"1", 1},       {" 450 ", 450},
      {"0", kDefaultCatalogueLimitMb},        {"-5", kDefaultCatalogueLimitMb},
      {"many", kDefaultCatalogueLimitMb},     {"2.5", kDefaultCatalogueLimitMb},
      {"999999999999", kLargestCatalogueLimitMb},
  };
  for (const auto& [stored, megabytes] : cases) {
    {
      QSettings settings(services_settings_path(), QSettings::IniFormat);
      if (stored.isValid()) settings.setValue("Services/catalogue_limit_mb", stored);
      else settings.remove("Services/catalogue_limit_mb");
    }
    EXPECT_EQ(catalogue_limit_mb(), megabytes) << stored.toString().toStdString();
    EXPECT_EQ(catalogue_reply_limit(), qint64{megabytes} * 1000000 + 6) << stored.toString().toStdString();
  }
  // The largest limit still fits the reply's 31-bit length.
  EXPECT_LE(qint64{kLargestCatalogueLimitMb} * 1000000 + 6, HttpRequest::kLargestBody);
}

// A trial load that accepts what starts with "GOOD", keeping it as the stamp of what it loaded, and
// names the fault otherwise.
QString trial(Catalogue& into, std::string bytes) {
  if (bytes.rfind("GOOD", 0) != 0) return QStringLiteral("bad header");
  into.version_stamp = bytes;
  return {};
}

InstallResult install(const QString& app_data, const std::string& payload, bool cancelled = false) {
  InstallClaim claim;
  if (cancelled) claim.cancel();
  return install_catalogue(app_data, payload, Catalogue{}, trial, claim);
}

// Whichever of Cancel and the replacing of the file comes first stands; the other is refused.
TEST(InstallClaim, TheFirstOfCancelAndReplaceStands) {
  InstallClaim cancelled;
  EXPECT_TRUE(cancelled.cancel());
  EXPECT_TRUE(cancelled.cancel());
  EXPECT_FALSE(cancelled.begin_replace());

  InstallClaim replaced;
  EXPECT_TRUE(replaced.begin_replace());
  EXPECT_FALSE(replaced.cancel());
}

TEST(InstallCatalogue, ReplacesTheFileWholeAndHandsOverWhatLoaded) {
  quovi_test::catalogue_folder();
  const QString app_data = app_data_folder();
  ASSERT_TRUE(quovi_test::write_all(channels_path(app_data), QByteArray(5000, 'o')));
  InstallClaim claim;
  const InstallResult result = install_catalogue(app_data, "GOOD new", Catalogue{}, trial, claim);
  EXPECT_EQ(result.status, kStatusComplete);
  // The file is replaced: a Cancel now is too late.
  EXPECT_FALSE(claim.cancel());
  EXPECT_EQ(result.catalogue.version_stamp, "GOOD new");
  EXPECT_EQ(quovi_test::read_all(channels_path(app_data)), "GOOD new");
  // No temporary file is left beside it.
  EXPECT_EQ(QDir(catalogue_folder(app_data)).entryList(QDir::Files), QStringList{"channels.dat"});
}

TEST(InstallCatalogue, CreatesTheFolderWhenMissing) {
  const QString app_data = quovi_test::sandbox_root() + "/fresh";
  EXPECT_EQ(install(app_data, "GOOD").status, kStatusComplete);
  EXPECT_EQ(quovi_test::read_all(channels_path(app_data)), "GOOD");
}

// Whatever keeps the new catalogue out leaves the old file whole, no temporary file beside it and
// nothing loaded in the answer.
TEST(InstallCatalogue, DamagedOrCancelledKeepsTheOldFile) {
  const struct {
    const char* what;
    std::string payload;
    bool cancelled;
    QString status;
  } cases[] = {
      {"damaged", "rubbish", false, "Damaged catalogue: bad header"},
      {"cancelled", "GOOD new", true, kStatusInterrupted},
      {"damaged and cancelled", "rubbish", true, "Damaged catalogue: bad header"},
  };
  for (const auto& c : cases) {
    quovi_test::catalogue_folder();
    const QString app_data = app_data_folder();
    ASSERT_TRUE(quovi_test::write_all(channels_path(app_data), "old catalogue"));
    const InstallResult result = install(app_data, c.payload, c.cancelled);
    EXPECT_EQ(result.status, c.status) << c.what;
    EXPECT_TRUE(result.write_error.isEmpty()) << c.what;
    EXPECT_TRUE(result.catalogue.version_stamp.empty()) << c.what;
    EXPECT_EQ(quovi_test::read_all(channels_path(app_data)), "old catalogue") << c.what;
    EXPECT_EQ(QDir(catalogue_folder(app_data)).entryList(QDir::Files), QStringList{"channels.dat"}) << c.what;
  }
}

TEST(InstallCatalogue, AFileThatCannotBeReplacedIsReported) {
  quovi_test::catalogue_folder();
  const QString app_data = app_data_folder();
  // A folder where the file should be cannot be replaced, whoever runs the test.
  ASSERT_TRUE(QDir().mkpath(channels_path(app_data)));
  const InstallResult result = install(app_data, "GOOD");
  EXPECT_FALSE(result.write_error.isEmpty());
  EXPECT_EQ(result.status, result.write_error);
  EXPECT_NE(result.status, kStatusComplete);
  EXPECT_TRUE(QFileInfo(channels_path(app_data)).isDir());
  // A damaged payload is told as such even then, as when it was tried before the file was written.
  EXPECT_EQ(install(app_data, "rubbish").status, "Damaged catalogue: bad header");
}
}  // namespace
