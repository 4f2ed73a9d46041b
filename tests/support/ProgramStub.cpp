#include "ProgramStub.h"

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>

#include "Folders.h"

namespace tessiro::test {

CProgramStub::CProgramStub(const std::string& name, const std::string& body) {
  const char* path = std::getenv("PATH");
  oldPath_ = path ? path : "";
  const std::string bin = folder_ / "bin";
  platform::CreateFolder(bin);
  if (body.empty()) {
    setenv("PATH", bin.c_str(), 1);
    return;
  }
  const std::string script = bin + "/" + name;
  std::ofstream(script) << "#!/bin/sh\n" << body << "\n";
  ::chmod(script.c_str(), 0755);
  setenv("PATH", (bin + ":" + oldPath_).c_str(), 1);
}

CProgramStub::~CProgramStub() { setenv("PATH", oldPath_.c_str(), 1); }

}  // namespace tessiro::test
