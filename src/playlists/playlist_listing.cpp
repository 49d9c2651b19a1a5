#include "playlists/playlist_listing.h"

#include "catalogue/catalogue_dump.h"

void write_playlist_listing(std::ostream& out, const Playlist& playlist) {
  for (const PlaylistEntry& entry : playlist.entries) {
    out << escape_dump_text(playlist.text(entry.title)) << '\t' << escape_dump_text(playlist.text(entry.address))
        << '\t' << escape_dump_text(playlist.text(entry.group_title)) << '\t' << (entry.radio ? '1' : '0') << '\t'
        << escape_dump_text(playlist.text(entry.tvg_id)) << '\t' << escape_dump_text(playlist.text(entry.tvg_logo))
        << '\t' << escape_dump_text(playlist.text(entry.user_agent)) << '\t'
        << escape_dump_text(playlist.text(entry.referrer)) << '\t';
    if (entry.number != 0) out << entry.number;
    out << '\t' << format_shortest(entry.guide_shift) << '\t' << escape_dump_text(playlist.text(entry.headers)) << '\n';
  }
  out << "skipped " << playlist.skipped << '\n';
}
