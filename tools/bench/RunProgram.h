// The benchmarks that time another program against ours run it to its end with
// its output read and dropped (so a full pipe never stalls it).
#pragma once

#include <string>
#include <vector>

#include "ChildProcess.h"

namespace bench {

// False when the program cannot start or does not exit with 0.
inline bool Run(const std::vector<std::string>& argv) {
  platform::CChildProcess child;
  if (child.Start(argv) != platform::CChildProcess::StartFailure::None) return false;
  char discard[4096];
  while (child.ReadOutput(discard, sizeof discard) > 0) {
  }
  platform::ChildExit exit;
  return child.Wait(&exit) && exit.exited && exit.code == 0;
}

}  // namespace bench
