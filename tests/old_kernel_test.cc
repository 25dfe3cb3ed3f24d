// The old-kernel runner: what it accepts, and that it leaves 64-bit
// programs alone, so that wrappers around the i386 binary still run.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

namespace {

int run(const std::string &args) {
  int status = system((std::string(OLD_KERNEL_BINARY) + " " + args + " 2>/dev/null").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(OldKernel, RefusesATableItCannotMean) {
  for (const char *calls : {"''", "-1", "+5", "4096", "99999999999", "16x", "0x10"}) {
    EXPECT_EQ(run(std::string(calls) + " /bin/true"), 2) << calls;
  }
  EXPECT_EQ(run("163"), 2);
}

TEST(OldKernel, LeavesSixtyFourBitCallsAlone) {
  EXPECT_EQ(run("0 /bin/sh -c 'exit 7'"), 7);
  EXPECT_EQ(run("4095 /bin/true"), 0);
}

TEST(OldKernel, SaysWhenTheProgramIsMissing) { EXPECT_EQ(run("163 /nonexistent/cellora"), 127); }

}  // namespace
