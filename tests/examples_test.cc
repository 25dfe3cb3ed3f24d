// The integration examples the README and the manual page show, run
// against the real cellora.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "apm_namespace.h"

namespace {

struct example_case {
  const char *name;
  const char *script;
  std::string line;  // empty: no /proc/apm at all
  std::string want_out;
  int want_status;
  const char *want_err = nullptr;  // nullptr: not checked
};

void PrintTo(const example_case &c, std::ostream *os) { *os << c.name; }

class Example : public testing::TestWithParam<example_case> {};

apm_setup setup_for(const example_case &c) {
  apm_setup setup;
  setup.status = c.line;
  setup.where = c.line.empty() ? place::none : place::file;
  setup.program = "/bin/sh";
  return setup;
}

void expect_prints(const example_case &c, const apm_setup &setup) {
  run_result r = run_with_status(setup);
  REQUIRE_RUN(r);
  EXPECT_EQ(r.out, c.want_out);
  EXPECT_EQ(r.status, c.want_status);
  if (c.want_err != nullptr) {
    EXPECT_EQ(r.err, c.want_err);
  }
}

// From the source tree, with cellora on PATH.
TEST_P(Example, Prints) {
  const example_case &c = GetParam();
  apm_setup setup = setup_for(c);
  setup.args = {std::string(CELLORA_SOURCE_DIR "/examples/") + c.script};
  std::string binary = cellora_binary();
  setup.env = {"PATH=" + binary.substr(0, binary.rfind('/')) + ":/usr/bin:/bin"};
  expect_prints(c, setup);
}

bool copy_file(const std::string &from, const std::string &to) {
  std::ifstream in(from, std::ios::binary);
  std::ofstream out(to, std::ios::binary);
  out << in.rdbuf();
  return in && out.good() && chmod(to.c_str(), 0755) == 0;
}

// As installed, PREFIX/share/cellora beside PREFIX/bin/cellora, under
// cron's PATH, which holds neither.
TEST_P(Example, PrintsAsInstalledUnderCronPath) {
  const example_case &c = GetParam();
  char prefix[] = "/tmp/cellora-prefix-XXXXXX";
  ASSERT_NE(mkdtemp(prefix), nullptr);
  std::string root = prefix, script = root + "/share/cellora/" + c.script;
  ASSERT_EQ(mkdir((root + "/bin").c_str(), 0755), 0);
  ASSERT_EQ(mkdir((root + "/share").c_str(), 0755), 0);
  ASSERT_EQ(mkdir((root + "/share/cellora").c_str(), 0755), 0);
  ASSERT_TRUE(copy_file(cellora_binary(), root + "/bin/cellora"));
  ASSERT_TRUE(copy_file(std::string(CELLORA_SOURCE_DIR "/examples/") + c.script, script));
  apm_setup setup = setup_for(c);
  setup.args = {script};
  setup.env = {"PATH=/usr/bin:/bin"};
  expect_prints(c, setup);
  for (const std::string &path : {script, root + "/bin/cellora"}) unlink(path.c_str());
  for (const char *dir : {"/share/cellora", "/share", "/bin", ""}) rmdir((root + dir).c_str());
}

std::string line(const char *ac, const char *percent) {
  return std::string("1.16ac 1.2 0x03 ") + ac + " 0x03 0x09 " + percent + "% 120 min\n";
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, Example,
    testing::Values(
        example_case{"LowOnBattery", "low-battery", line("0x00", "7"), "battery low: 7% left\n", 0},
        example_case{"LowOnMains", "low-battery", line("0x01", "7"), "", 0},
        example_case{"TenOnBattery", "low-battery", line("0x00", "10"), "", 0},
        // No battery in: nothing is low, and cron must have nothing to mail.
        example_case{"LowNoLevel", "low-battery", line("0x00", "-1"), "", 0, ""},
        example_case{"LowNoApm", "low-battery", "", "", 1,
                     "cellora: Can't read proc info: No such file or directory\n"},
        example_case{"BarOnMains", "i3blocks-battery", line("0x01", "87"), "BAT 87% AC\n", 0},
        example_case{"BarOnBattery", "i3blocks-battery", line("0x00", "42"), "BAT 42%\n", 0},
        example_case{"BarUrgent", "i3blocks-battery", line("0x00", "9"), "BAT 9%\n", 33},
        example_case{"BarNoApm", "i3blocks-battery", "", "BAT ?\n", 0,
                     "cellora: Can't read proc info: No such file or directory\n"},
        example_case{"ScreenOnMains", "screen-battery", line("0x01", "100"), "100% AC\n", 0},
        example_case{"ScreenOnBattery", "screen-battery", line("0x00", "10"), "10%\n", 0},
        example_case{"ScreenLow", "screen-battery", line("0x00", "9"), "9% LOW\n", 0},
        example_case{"ScreenNoLevel", "screen-battery", line("0x01", "-1"), "?\n", 0,
                     "Can not get battery level\n"}),
    [](const testing::TestParamInfo<example_case> &p) { return p.param.name; });

}  // namespace
