// What every test program does around its tests: a fresh program folder, the
// virtual sound device, the offscreen display, fault reports recorded instead
// of shown, and a failure for any report a test did not take. A test main
// builds one, may set up more (an application object), then runs it.
#pragma once

#include <string>

namespace tessiro::test {

class CTestProgram {
 public:
  CTestProgram(int* argc, char** argv);
  ~CTestProgram();
  CTestProgram(const CTestProgram&) = delete;
  CTestProgram& operator=(const CTestProgram&) = delete;

  // False when the program folder could not be made; the program then exits with 2.
  bool Ready() const { return !home_.empty(); }
  // The fresh program folder, removed when the program ends.
  const std::string& Home() const { return home_; }
  int Run();

 private:
  std::string home_;
};

}  // namespace tessiro::test
