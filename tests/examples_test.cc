// The integration examples the README and the manual page show, run
// against the real cellora.
#include <gtest/gtest.h>

#include <string>

#include "apm_namespace.h"

namespace {

struct example_case {
  const char *name;
  const char *script;
  std::string line;  // empty: no /proc/apm at all
  std::string want_out;
  int want_status;
};

void PrintTo(const example_case &c, std::ostream *os) { *os << c.name; }

class Example : public testing::TestWithParam<example_case> {};

TEST_P(Example, Prints) {
  const example_case &c = GetParam();
  apm_setup setup;
  setup.status = c.line;
  setup.where = c.line.empty() ? place::none : place::file;
  setup.program = "/bin/sh";
  setup.args = {std::string(CELLORA_SOURCE_DIR "/examples/") + c.script};
  std::string binary = cellora_binary();
  setup.env = {"PATH=" + binary.substr(0, binary.rfind('/')) + ":/usr/bin:/bin"};
  run_result r = run_with_status(setup);
  REQUIRE_RUN(r);
  EXPECT_EQ(r.out, c.want_out);
  EXPECT_EQ(r.status, c.want_status);
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
        example_case{"LowNoLevel", "low-battery", line("0x00", "-1"), "", 1},
        example_case{"BarOnMains", "i3blocks-battery", line("0x01", "87"), "BAT 87% AC\n", 0},
        example_case{"BarOnBattery", "i3blocks-battery", line("0x00", "42"), "BAT 42%\n", 0},
        example_case{"BarUrgent", "i3blocks-battery", line("0x00", "9"), "BAT 9%\n", 33},
        example_case{"BarNoApm", "i3blocks-battery", "", "BAT ?\n", 0}),
    [](const testing::TestParamInfo<example_case> &p) { return p.param.name; });

}  // namespace
