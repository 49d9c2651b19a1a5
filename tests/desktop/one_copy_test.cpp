// Two copies of the program meeting on the session bus, or on the local socket where there is no
// bus: the later one hands its files and addresses to the first and is answered.
#include "../playback/wait_until.h"
#include "desktop/one_copy.h"
#include "private_bus.h"

#include <gtest/gtest.h>

#include <QDBusConnectionInterface>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <QThread>

#include <memory>

using quovi_test::wait_until;

namespace {
const QString kId = QStringLiteral("org.talvex.Quovi");

enum class Meeting { Bus, Socket };

struct OneCopyTest : ::testing::TestWithParam<Meeting> {
  PrivateSessionBus bus;
  QTemporaryDir runtime;
  QString socket = runtime.filePath(QStringLiteral("quovi.socket"));

  // A copy as each process makes it: its own connection to the bus, or none.
  QDBusConnection connection(const QString& name) {
    return GetParam() == Meeting::Bus ? bus.connect(name) : QDBusConnection(QStringLiteral("no bus"));
  }
  // The later copy, in a thread of its own as in a process of its own: its wait for the answer
  // must not hold the first copy's event loop.
  bool hand_over_from_later_copy(const HandoverRequest& request) {
    QDBusConnection later_bus = connection(QStringLiteral("later"));
    bool handed = false;
    std::unique_ptr<QThread> thread(QThread::create([&] {
      OneCopy later(kId, later_bus, socket, nullptr);
      handed = !later.claim() && later.hand_over(request, 10000);
    }));
    thread->start();
    return wait_until([&] { return thread->isFinished(); }) && handed;
  }
};

TEST_P(OneCopyTest, TheLaterCopyHandsOverAndTheFirstTakesTheFilesAndAddresses) {
  ASSERT_TRUE(bus.running());
  OneCopy first(kId, connection(QStringLiteral("first")), socket, nullptr);
  ASSERT_TRUE(first.claim());
  QSignalSpy requested(&first, &OneCopy::requested);

  ASSERT_TRUE(hand_over_from_later_copy({{"file:///srv/a%20b.m3u", "http://example.org/tv.m3u"}, "token-7"}));
  ASSERT_TRUE(wait_until([&] { return requested.size() == 1; }));
  EXPECT_EQ(requested[0][0].toStringList(), QStringList({"/srv/a b.m3u", "http://example.org/tv.m3u"}));
  EXPECT_EQ(requested[0][1].toString(), "token-7");

  // A start with nothing to open only asks for the window.
  ASSERT_TRUE(hand_over_from_later_copy({}));
  ASSERT_TRUE(wait_until([&] { return requested.size() == 2; }));
  EXPECT_TRUE(requested[1][0].toStringList().isEmpty());

  // A request beyond the limits is refused, and nothing is added.
  EXPECT_FALSE(hand_over_from_later_copy({QStringList(kMaxHandoverItems + 1, QStringLiteral("http://a/")), {}}));
  QTest::qWait(100);
  EXPECT_EQ(requested.size(), 2);
}

TEST_P(OneCopyTest, ACopyTakesThePlaceOfOneThatIsGone) {
  ASSERT_TRUE(bus.running());
  {
    OneCopy first(kId, connection(QStringLiteral("first")), socket, nullptr);
    ASSERT_TRUE(first.claim());
  }
  // A copy that ended without a word leaves its socket behind.
  if (GetParam() == Meeting::Socket) QFile(socket).open(QIODevice::WriteOnly);
  OneCopy next(kId, connection(QStringLiteral("next")), socket, nullptr);
  EXPECT_TRUE(next.claim());
  QSignalSpy requested(&next, &OneCopy::requested);
  EXPECT_TRUE(hand_over_from_later_copy({{"http://example.org/tv.m3u"}, {}}));
  EXPECT_TRUE(wait_until([&] { return requested.size() == 1; }));
}

INSTANTIATE_TEST_SUITE_P(Meetings, OneCopyTest, ::testing::Values(Meeting::Bus, Meeting::Socket),
                         [](const auto& info) { return info.param == Meeting::Bus ? "Bus" : "Socket"; });
}  // namespace
