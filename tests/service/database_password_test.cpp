// A PostgreSQL password reaches the service through a file or its environment, never its command
// line, and no message shows any part of it, however it is written into the URI.
#include "feedback_store.h"
#include "http_get.h"
#include "service_options.h"
#include "service_process.h"
#include "store_kinds.h"
#include "test_env.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {
// Its pieces are what no message may show; '@', ':' and '%' between them.
const std::vector<std::string> kPieces = {"Kx9vQ", "Tz4wL", "Rb7mN", "Hq2pJ"};
const std::string kPassword = "Kx9vQ@Tz4wL:Rb7mN%Hq2pJ";
const std::string kEncoded = "Kx9vQ%40Tz4wL%3ARb7mN%25Hq2pJ";

// The first piece of the password the text shows, empty when it shows none.
std::string piece_in(const std::string& text) {
  for (const auto& piece : kPieces)
    if (text.find(piece) != std::string::npos) return piece;
  return {};
}

// The service's arguments as every user of the computer sees them.
std::string command_line_of(qint64 pid) {
  QByteArray line = quovi_test::read_all(QStringLiteral("/proc/%1/cmdline").arg(pid));
  line.replace('\0', ' ');
  return line.toStdString();
}

QString location_file(const std::string& location) {
  static int files = 0;
  const QString path = quovi_test::sandbox_root() + QStringLiteral("/database-%1").arg(++files);
  EXPECT_TRUE(quovi_test::write_all(path, QByteArray::fromStdString(location + "\n")));
  return path;
}

QStringList service_options(const QStringList& database) {
  return database + QStringList{"--catalogue", quovi_test::sandbox_root() + "/channels.dat", "--media", ""};
}

// Every way of writing the password into a URI of a database no server answers for; some libpq
// would misread (a raw '@', '/' or '&'), some it reads as written.
std::vector<std::string> locations_on_no_server() {
  const std::string socket = "host=" + (quovi_test::sandbox_root() + "/no-server").toStdString();
  const std::string others = "Kx9vQ/Tz4wL?Rb7mN#Hq2pJ";
  return {
      "postgresql://quovi:" + kPassword + "@/feedback?" + socket,
      "postgresql://quovi:" + kEncoded + "@/feedback?" + socket,
      "postgres://quovi:" + kPassword + "@localhost/feedback?" + socket,
      "postgresql://quovi:" + others + "@/feedback?" + socket,
      "postgresql:///feedback?" + socket + "&password=" + kPassword,
      "postgresql:///feedback?" + socket + "&password=" + kEncoded,
      "postgresql:///feedback?" + socket + "&password=Kx9vQ&Tz4wL=Rb7mN&Hq2pJ",
      "postgresql:///feedback?password=Kx9vQ&Tz4wL&Rb7mN%Hq2pJ&" + socket,
      "postgresql://quovi:" + kEncoded + "@/feedback?" + socket + "&application_name=a@b",
  };
}

TEST(DatabasePassword, NoMessageShowsAnyPartOfIt) {
  for (const std::string& location : locations_on_no_server()) {
    EXPECT_EQ(piece_in(printable_location(location)), "") << printable_location(location);
    try {
      open_feedback_store(location);
      ADD_FAILURE() << "opened a database on no server";
    } catch (const FeedbackStoreError& e) {
      const std::string message = e.what();
      EXPECT_EQ(message.rfind("cannot open the feedback database postgres", 0), 0u) << message;
      EXPECT_EQ(piece_in(message), "") << message;
    }
    ServiceOptions defaults = default_service_options();
    defaults.database = location;
    EXPECT_EQ(piece_in(service_usage(defaults)), "");
    for (const auto& arguments : std::vector<std::vector<std::string>>{{"--databse=" + location}, {"--database", location}}) {
      const ParsedOptions parsed = parse_service_options(arguments, default_service_options());
      EXPECT_EQ(piece_in(parsed.message + parsed.warning), "") << parsed.message << parsed.warning;
    }
  }
  // Given in a file anyone may read: the service warns of that, and ends saying why.
  for (const std::string& location : {locations_on_no_server()[0], locations_on_no_server()[1]}) {
    ServiceProcess service(service_options({"--database-file", location_file(location)}));
    EXPECT_FALSE(service.listening());
    EXPECT_EQ(service.stop(), 1);
    const std::string log = service.log().toStdString();
    EXPECT_NE(log.find("cannot open the feedback database"), std::string::npos) << log;
    EXPECT_NE(log.find("may be read by every user"), std::string::npos) << log;
    EXPECT_EQ(piece_in(log), "") << log;
  }
  // A password on the command line works, with a warning that shows none of it.
  const auto parsed = parse_service_options({"--database", locations_on_no_server()[1]}, default_service_options());
  ASSERT_TRUE(parsed.options);
  EXPECT_NE(parsed.warning.find("--database-file"), std::string::npos) << parsed.warning;
}

// The service reads the URI with its password from a file, or from QUOVI_DATABASE, records into
// that database, and shows the password nowhere: not in its arguments, not in its log.
TEST(DatabasePassword, TheServiceTakesItFromAFileOrItsEnvironment) {
  const struct {
    const char* what;
    bool from_file;
  } cases[] = {{"from a file", true}, {"from the environment", false}};
  for (const auto& c : cases) {
    const std::string location = fresh_store_location(StoreKind::postgresql);
    if (location.empty()) GTEST_SKIP() << why_no_postgresql();
    // The test's server trusts its socket, so any password lets the service in.
    const std::string with_password =
        "postgresql://quovi:" + kEncoded + "@" + location.substr(std::string("postgresql://").size());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QStringList database;
    if (c.from_file) {
      const QString file = location_file(with_password);
      QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
      database = {"--database-file", file};
    } else {
      environment.insert(kDatabaseVariable, QString::fromStdString(with_password));
    }
    ServiceProcess service(service_options(database), environment);
    ASSERT_TRUE(service.listening()) << c.what << ": " << service.log().toStdString();
    EXPECT_EQ(piece_in(command_line_of(service.pid())), "") << c.what;
    EXPECT_EQ(command_line_of(service.pid()).find("postgres"), std::string::npos) << c.what;
    EXPECT_EQ(http_get(service.base_url().toStdString() + "/service/rate.php?rating=4&id=31").status, 200) << c.what;
    EXPECT_EQ(service.stop(), 0);
    EXPECT_EQ(piece_in(service.log().toStdString()), "") << c.what;
    const auto ratings = open_feedback_store(location, FeedbackStore::Mode::existing)->ratings();
    ASSERT_EQ(ratings.size(), 1u) << c.what;
    EXPECT_EQ(ratings[0].channel_id, 31);
  }
}
}  // namespace
