// A fresh folder for one test, removed with everything in it at the end.
#pragma once

#include <string>

namespace tessiro::test {

class CTempFolder {
 public:
  CTempFolder();
  ~CTempFolder();
  CTempFolder(const CTempFolder&) = delete;
  CTempFolder& operator=(const CTempFolder&) = delete;

  const std::string& Path() const { return path_; }
  // path of a name inside the folder
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

}  // namespace tessiro::test
