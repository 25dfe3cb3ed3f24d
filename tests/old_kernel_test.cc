// The old-kernel runner: what it accepts, and that it leaves 64-bit
// programs alone, so that wrappers around the i386 binary still run.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
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

// Whether PATH is an i386 program: ELF, 32-bit, machine 3.
bool is_i386_program(const char *path) {
  unsigned char header[20] = {};
  FILE *f = fopen(path, "rb");
  if (f == nullptr) return false;
  size_t n = fread(header, 1, sizeof header, f);
  fclose(f);
  return n == sizeof header && memcmp(header, "\177ELF", 4) == 0 && header[4] == 1 &&
         header[18] == 3 && header[19] == 0;
}

// The host's /bin/sh, on a 64-bit host, makes no i386 call at all.  A
// 64-bit runner's own calls are left alone too, so it starts it under a
// table of none; a runner built for i686 makes its one call after the
// filter, execve, as i386 call 11, which the table must keep.
TEST(OldKernel, LeavesSixtyFourBitCallsAlone) {
  if (is_i386_program("/bin/sh")) GTEST_SKIP() << "/bin/sh is an i386 program: no 64-bit one here";
#if defined(__i386__)
  const std::string table = "11";
#else
  const std::string table = "0";
#endif
  EXPECT_EQ(run(table + " /bin/sh -c 'exit 7'"), 7);
  EXPECT_EQ(run("4095 /bin/true"), 0);
}

TEST(OldKernel, SaysWhenTheProgramIsMissing) { EXPECT_EQ(run("163 /nonexistent/cellora"), 127); }

}  // namespace
