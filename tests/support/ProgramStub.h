// A stand-in for a program the system runs (LAME), for as long as the object
// lives: a shell script first on the PATH, or, with no body, no such program
// at all (the PATH holds only an empty folder). The PATH is put back after.
#pragma once

#include <string>

#include "TempFolder.h"

namespace tessiro::test {

class CProgramStub {
 public:
  // body: the script's lines after "#!/bin/sh"; "" hides every program.
  CProgramStub(const std::string& name, const std::string& body);
  ~CProgramStub();
  CProgramStub(const CProgramStub&) = delete;
  CProgramStub& operator=(const CProgramStub&) = delete;

  // A file in the stub's own folder, for what the script records.
  std::string operator/(const std::string& name) const { return folder_ / name; }

 private:
  CTempFolder folder_;
  std::string oldPath_;
};

}  // namespace tessiro::test
