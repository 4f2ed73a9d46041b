// The program's command line: a project to open, and the options for people
// and for the tests.
#pragma once

#include <string>
#include <vector>

struct CommandLine {
  bool help = false;
  bool version = false;
  std::string projectPath;     // as given; empty for none
  std::string screenshotPath;  // --screenshot FILE
  bool printStartupTime = false;
  std::string error;           // why the line was refused; empty when it parsed
};

// The arguments after the program's name (Qt's own options already taken out).
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);
// Whether --help or -h is among the arguments, before anything else is parsed
// (the help needs no display).
bool AsksForHelp(int argc, char** argv);
std::string UsageText();
