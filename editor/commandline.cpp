#include "editor/commandline.h"

cCommandLine ParseCommandLine(const std::vector<std::string>& args) {
  cCommandLine line;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      line.help = true;
    } else if (a == "--version") {
      line.version = true;
    } else if (a == "--ini") {
      if (i + 1 >= args.size()) {
        line.error = "--ini needs a file name";
        return line;
      }
      line.iniPath = args[++i];
    } else if (a.rfind("--ini=", 0) == 0) {
      line.iniPath = a.substr(6);
    } else if (a.size() > 1 && a[0] == '-') {
      // Qt's own options (-platform, -style, ...) are taken by QApplication.
      if (a.rfind("-platform", 0) == 0 || a.rfind("-style", 0) == 0 ||
          a.rfind("-display", 0) == 0 || a.rfind("-qwindow", 0) == 0) {
        if (a.find('=') == std::string::npos) ++i;
        continue;
      }
      line.error = "unknown option '" + a + "'";
      return line;
    } else if (line.songPath.empty()) {
      line.songPath = a;
    } else {
      line.error = "only one song can be opened";
      return line;
    }
  }
  return line;
}
