#include "catalogue_tool.h"

#include <QProcess>

ToolRun run_catalogue_tool(const QStringList& arguments) {
  QProcess tool;
  tool.start(QStringLiteral(QUOVI_CATALOGUE_PROGRAM), arguments);
  if (!tool.waitForFinished(60000)) return {};
  return {tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1, tool.readAllStandardOutput().toStdString(),
          tool.readAllStandardError().toStdString()};
}
