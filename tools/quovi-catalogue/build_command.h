#pragma once
#include <ostream>
#include <string>
#include <vector>

// quovi-catalogue build SOURCE -o OUT [--feedback DATABASE] [--stamp YYYYMMDDhhmm] [--static FOLDER]
// Writes the catalogue to publish: SOURCE (a channel database file or a folder of member files)
// with the feedback recorded by quovi-service (an SQLite file or a "postgresql://" URI) folded in and a new version stamp. Lists the
// submitted user channels for review on `out`; they are not published. With --static, also
// writes the download's replies for a web server to hand out (static_replies.h). Answers the exit code:
// 0 done, 1 failed (message on `err`), 2 wrong arguments.
int run_build_command(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
