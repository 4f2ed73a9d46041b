#include "TempFolder.h"

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>

#include "Folders.h"

namespace tessiro::test {

CTempFolder::CTempFolder() {
  std::string pattern = platform::TemporaryFolder() + "/tessiro-test-XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
  path_ = pattern;
}

CTempFolder::~CTempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace tessiro::test
