#include "CommandLine.h"

#include <cstring>

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  bool optionsEnded = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    if (!optionsEnded && a.size() > 1 && a[0] == '-') {
      if (a == "--") {
        optionsEnded = true;
      } else if (a == "--help" || a == "-h") {
        line.help = true;
      } else if (a == "--version") {
        line.version = true;
      } else if (a == "--print-startup-time") {
        line.printStartupTime = true;
      } else if (a == "--screenshot" || a.rfind("--screenshot=", 0) == 0) {
        if (a.size() > std::strlen("--screenshot")) {
          line.screenshotPath = a.substr(std::strlen("--screenshot="));
        } else if (i + 1 < arguments.size()) {
          line.screenshotPath = arguments[++i];
        }
        if (line.screenshotPath.empty()) line.error = "--screenshot needs a file name";
      } else {
        line.error = "unknown option " + a;
      }
    } else if (line.projectPath.empty()) {
      line.projectPath = a;
    } else {
      line.error = "only one project can be opened: " + a;
    }
    if (!line.error.empty()) break;
  }
  return line;
}

bool AsksForHelp(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--") == 0) return false;
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) return true;
  }
  return false;
}

std::string UsageText() {
  return "Usage: tessiro [OPTION]... [PROJECT]\n"
         "Multi-track audio recorder and editor. Opens PROJECT (a .qvk project, or an\n"
         "older .mix project to import) when one is given, else a new project.\n"
         "\n"
         "  -h, --help              show this help and exit\n"
         "      --version           show the version and exit\n"
         "      --screenshot FILE   once the main window is painted, save it as a PNG picture\n"
         "      --print-startup-time  print the milliseconds from start to the first painted\n"
         "                          main window on standard error\n"
         "\n"
         "Environment:\n"
         "  TESSIRO_HOME            folder of the program's own files (configuration, presets)\n"
         "  TESSIRO_AUDIO=virtual   play and record through a virtual sound card\n"
         "  TESSIRO_AUDIO_INPUT     a 16-bit 44100 Hz WAV file the virtual card records from\n";
}
