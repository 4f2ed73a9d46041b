// The program folder holds the files the program keeps for itself
// (configuration, presets, metronome samples, the intro project). It is made
// before anything reads from it, and the files the program ships that are
// missing there are copied in from the installed data folder.
#pragma once

#include <string>

class CProgramFolder {
 public:
  CProgramFolder();
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};
