#pragma once
#include <QByteArray>
#include <QString>

#include <vector>

// The settings file is an INI file that QSettings reads, and rewrites whole at every write. It reads
// leniently: a quote left open runs on over the following lines, so the groups behind it become part
// of one value; a line it cannot parse is skipped; bytes that are not UTF-8 become replacement
// characters; a backslash at the end of a line joins the next one to it. The next write stores what
// was read, and whatever was swallowed or skipped is gone for good.
//
// This check reads every line on its own, in the forms QSettings writes: a blank line, a comment
// starting with ";", a section line "[name]", or a setting "name=value" whose quotes close and which
// holds no ";" outside them (QSettings would cut the value there); UTF-8 without control characters
// other than tabs. Any other line cannot be read back exactly. Neither can the lines below a damaged
// section line, whose section is unknown, nor an earlier line of a setting that a later line sets
// again (QSettings keeps only the later one).
struct SettingsFileCheck {
  struct BadLine {
    int number = 0;  // 1-based
    QString reason;  // completes "line 3 ...", e.g. "opens a quote it does not close"
  };
  std::vector<BadLine> bad_lines;  // in file order
  // The file without its bad lines: every setting left in it reads as its line shows.
  QByteArray kept;
  // How many distinct settings the kept lines hold.
  int settings = 0;

  bool sound() const { return bad_lines.empty(); }
};

SettingsFileCheck check_settings_text(const QByteArray& content);
