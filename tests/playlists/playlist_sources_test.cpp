#include "playlists/playlist.h"
#include "playlists/playlist_sources.h"
#include "playlists/source_favorites.h"
#include "test_env.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace quovi_test;

namespace {
QString data() { return sandbox_root() + QStringLiteral("/data"); }

PlaylistSource source(uint16_t id, const QString& name) {
  PlaylistSource s;
  s.id = id;
  s.name = name;
  return s;
}

QString write_playlist(const QString& name, const QByteArray& bytes) {
  const QString path = sandbox_root() + QLatin1Char('/') + name;
  EXPECT_TRUE(write_all(path, bytes));
  return path;
}
}  // namespace

TEST(PlaylistSources, ListReadsBackAsWritten) {
  PlaylistSource a = source(1, QStringLiteral("Каналы 日本 Ελλάδα"));
  a.original_path = QStringLiteral("/home/u/Списки/a.m3u");
  a.group = 2;
  a.read_at = QDateTime(QDate(2026, 12, 1), QTime(10, 20, 30, 400), Qt::UTC);
  PlaylistSource b = source(7, QStringLiteral("Radio"));
  b.address = QStringLiteral("https://example.net/list.m3u8?x=1");
  const std::vector<PlaylistSource> list{a, b};
  EXPECT_EQ(parse_sources_index(sources_index_text(list)), list);
  EXPECT_TRUE(parse_sources_index(sources_index_text({})).empty());
}

TEST(PlaylistSources, DamagedListIsRefusedWithItsReason) {
  const struct {
    const char* text;
    const char* reason;
  } cases[] = {
      {"", "illegal value"},
      {"{\"format\":1,\"sources\":[{\"id\":1,\"name\":\"a\"}", "at byte"},
      {"[]", "not an object"},
      {"{\"format\":2,\"sources\":[]}", "format is unknown"},
      {"{\"format\":1}", "holds no list"},
      {"{\"format\":1,\"sources\":[1]}", "not an object"},
      {"{\"format\":1,\"sources\":[{\"name\":\"a\"}]}", "no valid id"},
      {"{\"format\":1,\"sources\":[{\"id\":70000}]}", "no valid id"},
      {"{\"format\":1,\"sources\":[{\"id\":1.5}]}", "no valid id"},
      {"{\"format\":1,\"sources\":[{\"id\":1},{\"id\":1}]}", "two entries have the id 1"},
      {"{\"format\":1,\"sources\":[{\"id\":1,\"name\":5}]}", "\"name\" is not a text"},
      {"{\"format\":1,\"sources\":[{\"id\":1,\"group\":9}]}", "unknown group"},
      {"{\"format\":1,\"sources\":[{\"id\":1,\"read\":\"yesterday\"}]}", "unreadable time"},
      {"{\"format\":1,\"sources\":[{\"id\":1,\"address\":\"file:///etc/passwd\"}]}", "not http or https"},
  };
  for (const auto& c : cases) {
    try {
      parse_sources_index(c.text);
      ADD_FAILURE() << "read: " << c.text;
    } catch (const PlaylistError& e) {
      EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << c.text << " -> " << e.what();
    }
  }
}

TEST(PlaylistSources, DamagedListFileIsSetAsideAndNothingElseIsLost) {
  ASSERT_TRUE(QDir().mkpath(playlists_folder(data())));
  ASSERT_TRUE(write_all(sources_index_path(data()), "{\"format\":1,\"sources\":[{\"id\":1,"));
  ASSERT_TRUE(write_all(playlist_copy_path(data(), 1), "#EXTM3U\nhttp://a/1\n"));
  ASSERT_TRUE(write_all(source_favorites_path(data(), 1), "http://a/1\n"));
  ASSERT_TRUE(write_all(data() + QStringLiteral("/favorites.dat"), "12\r\n"));

  const SourcesRead read = read_sources(data());
  EXPECT_TRUE(read.sources.empty());
  EXPECT_TRUE(read.writable);
  EXPECT_TRUE(read.problem.contains(QStringLiteral("The list of playlists cannot be read"))) << read.problem.toStdString();
  EXPECT_TRUE(read.problem.contains(QDir::toNativeSeparators(sources_index_path(data()) + QStringLiteral(".bad"))));
  EXPECT_EQ(read_all(sources_index_path(data()) + QStringLiteral(".bad")), "{\"format\":1,\"sources\":[{\"id\":1,");
  EXPECT_FALSE(QFile::exists(sources_index_path(data())));
  EXPECT_EQ(read_all(playlist_copy_path(data(), 1)), "#EXTM3U\nhttp://a/1\n");
  EXPECT_EQ(read_all(source_favorites_path(data(), 1)), "http://a/1\n");
  EXPECT_EQ(read_all(data() + QStringLiteral("/favorites.dat")), "12\r\n");

  // A playlist added now leaves the files of the set-aside list's sources alone.
  std::vector<PlaylistSource> sources;
  const AddedSource added = add_source_from_file(data(), sources, write_playlist("new.m3u", "http://n/1\n"), {});
  EXPECT_EQ(added.source.id, 2);
  EXPECT_EQ(read_all(playlist_copy_path(data(), 1)), "#EXTM3U\nhttp://a/1\n");
  EXPECT_TRUE(read_sources(data()).problem.isEmpty());
}

TEST(PlaylistSources, AddRenameMoveRemove) {
  std::vector<PlaylistSource> sources;
  const QDateTime now(QDate(2026, 12, 10), QTime(20, 0), Qt::UTC);
  const AddedSource a = add_source_from_file(data(), sources, write_playlist("Первый.m3u", "#EXTM3U\nhttp://a/1\n"), now);
  ASSERT_TRUE(a.problem.isEmpty()) << a.problem.toStdString();
  const AddedSource b = add_source_from_file(data(), sources, write_playlist("second.pls", "[playlist]\nFile1=http://b/1\n"), now);
  ASSERT_TRUE(b.problem.isEmpty());
  EXPECT_EQ(a.source.id, 1);
  EXPECT_EQ(b.source.id, 2);
  EXPECT_EQ(a.source.name, QStringLiteral("Первый"));
  EXPECT_EQ(a.source.read_at, now);
  EXPECT_EQ(read_all(playlist_copy_path(data(), 1)), "#EXTM3U\nhttp://a/1\n");

  EXPECT_TRUE(rename_source(data(), sources, 2, QStringLiteral("Radio two")).isEmpty());
  EXPECT_TRUE(set_source_group(data(), sources, 2, 2).isEmpty());
  ASSERT_TRUE(write_source_favorites(data(), 1, {"http://a/1"}).isEmpty());
  ASSERT_TRUE(write_source_favorites(data(), 2, {"http://b/1"}).isEmpty());
  EXPECT_EQ(read_sources(data()).sources, sources);

  EXPECT_TRUE(remove_source(data(), sources, 1).isEmpty());
  EXPECT_FALSE(QFile::exists(playlist_copy_path(data(), 1)));
  EXPECT_FALSE(QFile::exists(source_favorites_path(data(), 1)));
  EXPECT_EQ(read_source_favorites(data(), 2), std::vector<std::string>{"http://b/1"});
  const std::vector<PlaylistSource> left = read_sources(data()).sources;
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].name, QStringLiteral("Radio two"));
  EXPECT_EQ(left[0].group, 2);
  EXPECT_FALSE(remove_source(data(), sources, 1).isEmpty());

  // The freed id is given again, with fresh files.
  const AddedSource c = add_source_from_address(data(), sources, QStringLiteral("http://127.0.0.1:1/lists/tv.m3u"));
  EXPECT_TRUE(c.problem.isEmpty());
  EXPECT_EQ(c.source.id, 1);
  EXPECT_EQ(c.source.name, QStringLiteral("tv"));
  EXPECT_FALSE(add_source_from_address(data(), sources, QStringLiteral("ftp://x/y.m3u")).problem.isEmpty());
  EXPECT_FALSE(add_source_from_file(data(), sources, sandbox_root() + QStringLiteral("/missing.m3u"), now).problem.isEmpty());
  EXPECT_EQ(sources.size(), 2u);
}

// When the list cannot be written, an added playlist leaves nothing behind: the list in memory, the
// list on disk and the folder stay as they were.
TEST(PlaylistSources, AnAddWhoseListCannotBeWrittenLeavesNothing) {
  std::vector<PlaylistSource> sources;
  const QDateTime now(QDate(2026, 12, 10), QTime(20, 0), Qt::UTC);
  const QString playlist = write_playlist("kept.m3u", "#EXTM3U\nhttp://a/1\n");
  ASSERT_TRUE(QDir().mkpath(sources_index_path(data())));  // a folder where the list would go
  const AddedSource from_file = add_source_from_file(data(), sources, playlist, now);
  EXPECT_FALSE(from_file.problem.isEmpty());
  EXPECT_FALSE(QFile::exists(playlist_copy_path(data(), 1)));
  const AddedSource from_address = add_source_from_address(data(), sources, QStringLiteral("http://127.0.0.1:1/tv.m3u"));
  EXPECT_FALSE(from_address.problem.isEmpty());
  EXPECT_TRUE(sources.empty());
  EXPECT_EQ(QDir(QFileInfo(sources_index_path(data())).path()).entryList(QDir::Files), QStringList());
}

// Opening the same file or address again (a file manager's double-click does it easily) refreshes
// the source the list has rather than listing it twice.
TEST(PlaylistSources, TheSameFileOrAddressAgainIsTheSourceListedAlready) {
  std::vector<PlaylistSource> sources;
  const QDateTime first(QDate(2026, 12, 10), QTime(20, 0), Qt::UTC), later = first.addSecs(60);
  const QString path = write_playlist("tv.m3u", "#EXTM3U\nhttp://a/1\n");
  const AddedSource added = add_source_from_file(data(), sources, path, first);
  ASSERT_TRUE(added.problem.isEmpty());
  EXPECT_FALSE(added.already_listed);

  write_playlist("tv.m3u", "#EXTM3U\nhttp://a/2\n");
  const QString working_folder = QDir::currentPath();
  QDir::setCurrent(sandbox_root());
  for (const QString& again : {path, QStringLiteral("tv.m3u"), sandbox_root() + QStringLiteral("/./tv.m3u")}) {
    const AddedSource same = add_source_from_file(data(), sources, again, later);
    EXPECT_TRUE(same.problem.isEmpty()) << again.toStdString();
    EXPECT_TRUE(same.already_listed) << again.toStdString();
    EXPECT_EQ(same.source.id, added.source.id);
    EXPECT_EQ(same.source.read_at, later);
  }
  QDir::setCurrent(working_folder);
  EXPECT_EQ(read_all(playlist_copy_path(data(), added.source.id)), "#EXTM3U\nhttp://a/2\n");

  const QString address = QStringLiteral("http://127.0.0.1:1/lists/tv.m3u");
  const AddedSource from_address = add_source_from_address(data(), sources, address);
  ASSERT_TRUE(from_address.problem.isEmpty());
  for (const QString& again : {address, QStringLiteral("HTTP://127.0.0.1:1/lists/tv.m3u")}) {
    const AddedSource same = add_source_from_address(data(), sources, again);
    EXPECT_TRUE(same.problem.isEmpty());
    EXPECT_TRUE(same.already_listed) << again.toStdString();
    EXPECT_EQ(same.source.id, from_address.source.id);
  }
  EXPECT_FALSE(add_source_from_address(data(), sources, address + QStringLiteral("?b=2")).already_listed);
  EXPECT_EQ(sources.size(), 3u);
  EXPECT_EQ(read_sources(data()).sources, sources);
}

// The list is read strictly, so the adds check its bounds: whatever they accept reads back at the
// next start, and what they refuse says why and leaves the list as it was.
TEST(PlaylistSources, WhatTheAddsAcceptAlwaysReadsBack) {
  std::vector<PlaylistSource> sources;
  const QDateTime now(QDate(2026, 12, 10), QTime(20, 0), Qt::UTC);
  const auto reads_back = [&] {
    const std::string text = read_all(sources_index_path(data())).toStdString();
    try {
      return parse_sources_index(text) == sources;
    } catch (const PlaylistError& e) {
      ADD_FAILURE() << e.what();
      return false;
    }
  };
  // Names and paths of any kind.
  const QString odd_names[] = {
      QStringLiteral("quote \" back\\slash"), QStringLiteral("tab\tand\x01" "control"), QStringLiteral("\u202Eright\u200Bleft"),
      QStringLiteral("emoji \U0001F3B5"),      QString(80, QChar(0x0E01))};
  for (const QString& name : odd_names) {
    const AddedSource added = add_source_from_file(data(), sources, write_playlist(name + ".m3u", "http://a/1\n"), now);
    EXPECT_TRUE(added.problem.isEmpty()) << added.problem.toStdString();
    EXPECT_TRUE(reads_back()) << name.toStdString();
  }
  const AddedSource odd_address = add_source_from_address(
      data(), sources, QStringLiteral("https://xn--e1afmkfd.example/%D0%BA%D0%B8%D0%BD%D0%BE.m3u?a=%221%22&b=%5C#x"));
  EXPECT_TRUE(odd_address.problem.isEmpty()) << odd_address.problem.toStdString();
  EXPECT_TRUE(reads_back());
  // Half of a character: refused, or kept as it reads back.
  rename_source(data(), sources, sources.front().id, QStringLiteral("half ") + QChar(0xD83C));
  EXPECT_TRUE(reads_back());

  // Up to the most the list may hold, then a clear refusal.
  std::vector<PlaylistSource> full = sources;
  for (uint16_t id = 100; full.size() < kMaxPlaylistSources - 1; ++id) full.push_back(source(id, QStringLiteral("s")));
  ASSERT_EQ(write_sources(data(), full), QString());
  sources = full;
  ASSERT_TRUE(add_source_from_address(data(), sources, QStringLiteral("http://s/last.m3u")).problem.isEmpty());
  EXPECT_EQ(sources.size(), kMaxPlaylistSources);
  const AddedSource over = add_source_from_address(data(), sources, QStringLiteral("http://s/over.m3u"));
  EXPECT_TRUE(over.problem.contains(QStringLiteral("the list holds 1000"))) << over.problem.toStdString();
  EXPECT_EQ(sources.size(), kMaxPlaylistSources);
  EXPECT_TRUE(reads_back());

  // And up to the most bytes: long names fill the list before its count does.
  sources = {};
  ASSERT_EQ(write_sources(data(), sources), QString());
  const QString long_name(40'000, QLatin1Char('n'));
  QString refused;
  for (int i = 0; i < 40 && refused.isEmpty(); ++i) {
    const AddedSource added = add_source_from_file(
        data(), sources, write_playlist(QStringLiteral("%1 ").arg(i) + long_name.left(200) + ".m3u", "http://a/1\n"), now);
    refused = added.problem;
    if (refused.isEmpty()) refused = rename_source(data(), sources, added.source.id, long_name);
  }
  EXPECT_TRUE(refused.contains(QStringLiteral("larger than 1 MiB"))) << refused.toStdString();
  EXPECT_TRUE(reads_back());
}

TEST(SourceFavorites, AddressesOncePerLineWhateverTheLineEnds) {
  EXPECT_EQ(parse_source_favorites("http://a/1\r\nhttp://b/2\rhttp://a/1\n\nhttp://c/3"),
            (std::vector<std::string>{"http://a/1", "http://b/2", "http://c/3"}));
  EXPECT_EQ(source_favorites_text({"http://a/1", "bad\nline", "http://b/2"}), "http://a/1\nhttp://b/2\n");
}
