// The main of the test programs that need no window system.
#include "TestProgram.h"

int main(int argc, char** argv) {
  tessiro::test::CTestProgram program(&argc, argv);
  return program.Ready() ? program.Run() : 2;
}
