// murvelon: the desktop program.

#include <QApplication>
#include <cstdio>

#include "app/configfile.h"
#include "app/firststart.h"
#include "editor/commandline.h"
#include "ui/mainform.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  const cCommandLine line = ParseCommandLine(args);
  if (line.help) {
    std::fputs(kDesktopUsage, stdout);
    return 0;
  }
  if (line.version) {
    std::printf("%s\n", kDesktopVersion);
    return 0;
  }
  if (!line.error.empty()) {
    std::fprintf(stderr, "murvelon: %s\nTry 'murvelon --help'.\n", line.error.c_str());
    return 2;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName("Murvelon");
  QApplication::setDesktopFileName("murvelon");

  cStartOptions options;
  options.iniPath = line.iniPath;
  options.songPath = line.songPath;
  options.paths = DefaultPaths();
  // Run from its build tree the program has no shipped folder: the source
  // tree's demo song and presets stand in for it.
  if (options.paths.shipped.empty()) options.paths.shipped = MURVELON_SOURCE_DIR;
  for (const std::string& problem : PrepareUserFolders(options.paths).errors)
    std::fprintf(stderr, "murvelon: warning: %s\n", problem.c_str());
  TMainForm form(options);
  if (form.ShutDown()) return 1;
  form.show();
  return app.exec();
}
