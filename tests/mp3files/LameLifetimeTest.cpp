// A LAME the codec started never outlives the program that started it, however
// that program ends.
#include <sys/wait.h>

#include <chrono>
#include <functional>

#include "LameStubFixture.h"
#include "Within.h"

using namespace tessiro::test;

TEST_F(LameStub, LameEndsWhenTheProgramRunningItIsKilled) {
  struct Case {
    const char* what;
    std::function<void()> run;
  };
  const std::string mp3 = work_ + "/song.mp3";
  WriteBytes(mp3, kMp3Start);
  const Case cases[] = {
      {"encode", [&] { EncodeTo(work_ + "/out.mp3"); }},
      {"decode", [&] { CLunder().Decode(mp3.c_str(), RecordProgress, CaptureDecoded); }},
  };
  // The stub keeps its process id while it hangs, so the one it wrote down is LAME's.
  InstallLame("exec sleep 60");
  for (const Case& c : cases) {
    ::unlink(pidFile_.c_str());
    const pid_t program = ::fork();
    ASSERT_GE(program, 0);
    if (program == 0) {
      c.run();
      ::_exit(0);
    }
    pid_t lame = -1;
    ASSERT_TRUE(Within(std::chrono::seconds(10), [&] {
      lame = StubPid();
      return lame > 0 && ProcessRunning(lame);
    })) << c.what;
    ::kill(program, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(program, &status, 0), program);
    ASSERT_TRUE(WIFSIGNALED(status)) << c.what;
    EXPECT_TRUE(Within(std::chrono::seconds(5), [&] { return !ProcessRunning(lame); }))
        << c.what << ": LAME went on after the program was killed";
    if (ProcessRunning(lame)) ::kill(lame, SIGKILL);
  }
}
