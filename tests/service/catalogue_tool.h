#pragma once
#include <QStringList>

#include <string>

// quovi-catalogue run as a child process; exit_code is -1 when it crashed or did not end in time.
struct ToolRun {
  int exit_code = -1;
  std::string out;
  std::string err;
};

ToolRun run_catalogue_tool(const QStringList& arguments);
