#pragma once
// The main() of the benchmarks that need widgets: a home of the run's own, the offscreen platform
// unless the run names one, and the program's own names, under which it keeps its settings.
#include "temporary_home.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace bench {
inline int run_widget_benchmarks(int argc, char** argv) {
  QTemporaryDir home;
  use_temporary_home(home);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quovi"));
  QApplication::setOrganizationName(QStringLiteral("Talvex"));
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
}  // namespace bench
