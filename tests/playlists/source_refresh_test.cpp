// A playlist source read from an address on a 127.0.0.1 server of the test's own, refreshed after
// the server's list changed: the favourites stay with their addresses.
#include "catalogue/user_files.h"
#include "playlists/playlist_channels.h"
#include "playlists/playlist_sources.h"
#include "playlists/source_favorites.h"
#include "services/remote_copy.h"
#include "test_env.h"
#include "test_server.h"

#include <gtest/gtest.h>

#include <optional>

using namespace quovi_test;

namespace {
RemoteCopyResult::Outcome refresh(const PlaylistSource& source, const QString& app_data) {
  RemoteCopyRefresh refresh(source.address, playlist_copy_path(app_data, source.id), 1 << 20);
  std::optional<RemoteCopyResult> result;
  QObject::connect(&refresh, &RemoteCopyRefresh::finished, [&](const RemoteCopyResult& r) { result = r; });
  refresh.start();
  EXPECT_TRUE(wait_until([&] { return result.has_value(); }));
  return result ? result->outcome : RemoteCopyResult::Outcome::Failed;
}

// What the list holds of the source after its copy was read, as at a start-up.
std::vector<std::string> names_and_marks(const Catalogue& catalogue) {
  std::vector<std::string> out;
  for (const Channel& c : catalogue.channels)
    if (c.source != 0) out.push_back(c.name.text().toStdString() + (c.favorited ? " *" : ""));
  return out;
}
}  // namespace

TEST(SourceRefresh, ChangedListFromTheServerKeepsFavourites) {
  const QString app_data = sandbox_root() + QStringLiteral("/data");
  TestServer server;
  server.reply("/lists/tv.m3u", 200,
               "#EXTM3U\n#EXTINF:-1,\u041f\u0435\u0440\u0432\u044b\u0439\nhttp://s.example/1\n"
               "#EXTINF:-1,Two\nhttp://s.example/2\n#EXTINF:-1,Three\nhttp://s.example/3\n");
  std::vector<PlaylistSource> sources;
  const AddedSource added = add_source_from_address(app_data, sources, server.base() + QStringLiteral("/lists/tv.m3u"));
  ASSERT_TRUE(added.problem.isEmpty()) << added.problem.toStdString();
  ASSERT_EQ(refresh(added.source, app_data), RemoteCopyResult::Outcome::Updated);

  Catalogue catalogue;
  LoadedSources loaded;
  replace_source_channels(catalogue, loaded,
                          read_source_channels(app_data, added.source, read_source_favorites(app_data, added.source.id)));
  ASSERT_EQ(names_and_marks(catalogue), (std::vector<std::string>{"\u041f\u0435\u0440\u0432\u044b\u0439", "Two", "Three"}));
  set_favorite(catalogue, 0, true);
  set_favorite(catalogue, 2, true);
  ASSERT_TRUE(write_source_favorites(app_data, added.source.id, favorite_addresses(catalogue, added.source.id)).isEmpty());

  // The list changes: a name and the order, one entry gone, one new.
  server.reply("/lists/tv.m3u", 200,
               "#EXTM3U\n#EXTINF:-1,Three HD\nhttp://s.example/3\n#EXTINF:-1,New\nhttp://s.example/4\n"
               "#EXTINF:-1,\u041f\u0435\u0440\u0432\u044b\u0439 \u043a\u0430\u043d\u0430\u043b\nhttp://s.example/1\n");
  ASSERT_EQ(refresh(added.source, app_data), RemoteCopyResult::Outcome::Updated);
  // As after a restart: only what is on disk.
  Catalogue restarted;
  LoadedSources loaded_again;
  replace_source_channels(restarted, loaded_again,
                          read_source_channels(app_data, added.source, read_source_favorites(app_data, added.source.id)));
  EXPECT_EQ(names_and_marks(restarted),
            (std::vector<std::string>{"Three HD *", "New", "\u041f\u0435\u0440\u0432\u044b\u0439 \u043a\u0430\u043d\u0430\u043b *"}));
  // The catalogue's favourites file never hears of them.
  EXPECT_EQ(favorites_file_text(restarted), "");
  EXPECT_GE(server.received().size(), 2u);
}
