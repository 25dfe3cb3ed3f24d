// Runs the real cellora with a status file of ours at /proc/apm, placed in
// a private mount namespace on a tmpfs over /proc.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "apm_namespace.h"
#include "kernel_lines.h"

namespace {

struct scenario {
  const char *name;
  apm_setup setup;
  std::string want_out, want_err;
  int want_status;
};

void PrintTo(const scenario &s, std::ostream *os) { *os << s.name; }

class EndToEnd : public testing::TestWithParam<scenario> {};

TEST_P(EndToEnd, PrintsExactly) {
  const scenario &s = GetParam();
  run_result r = run_with_status(s.setup);
  REQUIRE_RUN(r);
  EXPECT_EQ(r.out, s.want_out);
  EXPECT_EQ(r.err, s.want_err);
  EXPECT_EQ(r.status, s.want_status);
}

const char kRealLine[] = "1.16ac 1.2 0x03 0x01 0x03 0x09 87% 120 min\n";
const char kReport87[] = "battery=87\nac_line=on\n";
const char kNoLevel[] = "Can not get battery level\n";
std::string read_failure(const char *why) {
  return std::string("cellora: Can't read proc info: ") + why + "\n";
}

apm_setup status_file(std::string bytes, place where = place::file) {
  apm_setup setup;
  setup.status = std::move(bytes);
  setup.where = where;
  return setup;
}

apm_setup kernel_line_with(out_to out, std::vector<std::string> args = {}) {
  apm_setup setup = status_file(kRealLine);
  setup.out = out;
  setup.args = std::move(args);
  return setup;
}

scenario report(const char *name, std::string line, std::string want_out) {
  return {name, status_file(std::move(line)), std::move(want_out), "", 0};
}

// The file read as its mode allows: a cellora that opened it for writing
// would be refused.
apm_setup mode_only(std::string bytes) {
  apm_setup setup = status_file(std::move(bytes));
  setup.drop_file_override = true;
  return setup;
}

// The kernel's line padded so that the 98-character read ends inside
// "87%": the level read is 8, and the second line is never looked at.
std::string long_line() {
  std::string line = "1.16ac 1.2 0x03 0x01 0x03 0x09";
  line += std::string(97 - line.size(), ' ') + "87% 120 min\n";
  return line + "1.16 1.2 0x03 0x01 0x03 0x09 55% 1 min\n";
}

INSTANTIATE_TEST_SUITE_P(
    Reports, EndToEnd,
    testing::Values(report("KernelLine", kRealLine, kReport87),
                    report("OnBattery", "1.16ac 1.2 0x03 0x00 0x00 0x01 42% 95 min\n",
                           "battery=42\nac_line=off\n"),
                    report("BackupPower", "1.16ac 1.2 0x03 0x02 0x00 0x01 42% 95 min\n",
                           "battery=42\nac_line=off\n"),
                    report("CappedAt100", "1.16ac 1.2 0x03 0x01 0x00 0x01 150% 95 min\n",
                           "battery=100\nac_line=on\n"),
                    report("NegativeLevel", "1.16ac 1.2 0x03 0x01 0x00 0x01 -3% 95 min\n",
                           "battery=-3\nac_line=on\n"),
                    report("HugeLevelSaturates", "1.16 1.2 3 1 3 9 -99999999999% 1 1",
                           "battery=-2147483648\nac_line=on\n"),
                    // The longest report there is.
                    report("LongestReport", "1.16 1.2 3 0 3 9 -99999999999% 1 1",
                           "battery=-2147483648\nac_line=off\n"),
                    report("EmptyBattery", "1.13 1.2 0x02 0x00 0x00 0x01 0% -1 ?\n",
                           "battery=0\nac_line=off\n"),
                    scenario{"ReadOnlyFile", mode_only(kRealLine), kReport87, "", 0},
                    report("WrappingAcIsOff", "1.16 1.2 3 0x100000001 3 9 50% 1 1",
                           "battery=50\nac_line=off\n"),
                    report("SecondLineIgnored", kRealLine + std::string("junk\n"), kReport87),
                    report("LongFirstLine", long_line(), "battery=8\nac_line=on\n"),
                    scenario{"ArgumentsIgnored",
                             kernel_line_with(out_to::pipe, {"--help", "-v", "/proc/x", ""}),
                             kReport87, "", 0}),
    [](const testing::TestParamInfo<scenario> &p) { return p.param.name; });

scenario failure(const char *name, std::string status, place where, std::string want_err) {
  return {name, status_file(std::move(status), where), "", std::move(want_err), 1};
}

INSTANTIATE_TEST_SUITE_P(
    Failures, EndToEnd,
    testing::Values(
        failure("UnknownLevel", "1.16ac 1.2 0x03 0x01 0xff 0x80 -1% -1 ?\n", place::file, kNoLevel),
        failure("LineCutBeforeLevel", "1.16ac 1.2 0x03 0x01 0x03 0x09\n", place::file, kNoLevel),
        failure("NulFirst", std::string("\0 1.2 0x03 0x01 0x03 0x09 87%\n", 30), place::file,
                kNoLevel),
        failure("NoStatusFile", "", place::none, read_failure("No such file or directory")),
        failure("EmptyStatusFile", "", place::file, read_failure("No data available")),
        failure("DirectoryInPlace", "", place::directory, read_failure("Is a directory")),
        failure("UnreadableFile", kRealLine, place::unreadable, read_failure("Permission denied")),
        scenario{"ReportToFullDisk", kernel_line_with(out_to::dev_full), "",
                 "cellora: Can't write report: No space left on device\n", 1},
        scenario{"ReportToClosedStdout", kernel_line_with(out_to::closed), "",
                 "cellora: Can't write report: Bad file descriptor\n", 1},
        // The first write takes a few bytes: the rest must still be written.
        scenario{"ReportToNearlyFullDisk", kernel_line_with(out_to::small_fs), "",
                 "cellora: Can't write report: No space left on device\n", 1},
        scenario{"ReadOnlyUnknownLevel", mode_only("1.16ac 1.2 0x03 0x01 0xff 0x80 -1% -1 ?\n"), "",
                 kNoLevel, 1},
        scenario{"ReadOnlyEmptyFile", mode_only(""), "", read_failure("No data available"), 1},
        scenario{"LocaleChangesNothing",
                 [] {
                   apm_setup setup = status_file("", place::none);
                   setup.env = {"LC_ALL=de_DE.UTF-8", "LANG=fr_FR.UTF-8", "LANGUAGE=de"};
                   return setup;
                 }(),
                 "", read_failure("No such file or directory"), 1}),
    [](const testing::TestParamInfo<scenario> &p) { return p.param.name; });

// What each kernel generation writes, as the binary reads it from the file.
TEST(EndToEndKernelLines, PrintsWhatEveryKernelMeans) {
  for (const kernel_line &k : kKernelLines) {
    run_result r = run_with_status(status_file(k.line));
    REQUIRE_RUN(r);
    if (k.battery == -1) {
      EXPECT_EQ(r.out, "") << k.kernel << ": " << k.line;
      EXPECT_EQ(r.err, kNoLevel) << k.kernel << ": " << k.line;
      EXPECT_EQ(r.status, 1) << k.kernel << ": " << k.line;
    } else {
      std::string want = "battery=" + std::to_string(k.battery) +
                         (k.ac_line == 1 ? "\nac_line=on\n" : "\nac_line=off\n");
      EXPECT_EQ(r.out, want) << k.kernel << ": " << k.line;
      EXPECT_EQ(r.err, "") << k.kernel << ": " << k.line;
      EXPECT_EQ(r.status, 0) << k.kernel << ": " << k.line;
    }
  }
}

}  // namespace
