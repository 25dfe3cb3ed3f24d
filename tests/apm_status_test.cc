#include "apm_status.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include "kernel_lines.h"

namespace {

struct line_case {
  const char *line;
  int fields;
  int32_t battery;
  int32_t ac_line;
};

void PrintTo(const line_case &c, std::ostream *os) { *os << '"' << c.line << '"'; }

class StatusLine : public testing::TestWithParam<line_case> {};

TEST_P(StatusLine, ScansAndDerives) {
  const line_case &c = GetParam();
  apm_reading reading = {};
  int fields = scan_apm_line(c.line, &reading);
  power_status = {55, 55};
  store_power_status(&reading, fields);
  EXPECT_EQ(fields, c.fields);
  EXPECT_EQ(power_status.battery, c.battery);
  EXPECT_EQ(power_status.ac_line, c.ac_line);
}

// clang-format off
const line_case kLines[] = {
    // The kernel's own lines.
    {"1.16ac 1.2 0x03 0x01 0x03 0x09 87% 120 min\n", 9, 87, 1},
    {"1.16ac 1.2 0x03 0x01 0xff 0x80 -1% -1 ?\n", 9, -1, 1},
    {"1.16 1.2 0x02 0x00 0x00 0x01 42% 95 min\n", 9, 42, 0},
    {"1.16 1.2 0x02 0x01 0x03 0x08 55% 91 min 8123mV 1021mA 31\n", 9, 55, 1},
    {"1.16ac 1.2 0x03 0x01 0x03 0x09 87% 120 7\n", 10, 87, 1},
    // The level: capped at 100, no lower bound, only -1 is "none".
    {"1.16 1.2 3 1 3 9 100% 1 1", 10, 100, 1},
    {"1.16 1.2 3 1 3 9 101% 1 1", 10, 100, 1},
    {"1.16 1.2 3 1 3 9 150% 1 1", 10, 100, 1},
    // 255 is the old ARM kernels' "unknown", however it is spelt; its
    // neighbours are levels above 100 like any other.
    {"1.16 1.2 3 1 3 9 255% 1 1", 10, -1, 1},
    {"1.16 1.2 3 1 3 9 +255% 1 1", 10, -1, 1},
    {"1.16 1.2 3 1 3 9 0255% 1 1", 10, -1, 1},
    {"1.16 1.2 3 1 3 9 254% 1 1", 10, 100, 1},
    {"1.16 1.2 3 1 3 9 256% 1 1", 10, 100, 1},
    {"1.16 1.2 3 1 3 9 -255% 1 1", 10, -255, 1},
    {"1.13 1.2 0x02 0xff 0xff 0xff 255% -1 ?\n", 9, -1, 0},
    {"1.16 1.2 3 1 3 9 0% 1 1", 10, 0, 1},
    {"1.16 1.2 3 1 3 9 -3% 1 1", 10, -3, 1},
    {"1.16 1.2 3 1 3 9 -01% 1 1", 10, -1, 1},
    {"1.16 1.2 3 1 3 9 +87% 1 1", 10, 87, 1},
    {"1.16 1.2 3 1 3 9 87 \t%", 8, 87, 1},
    {"1.16 1.2 3 1 3 9 87", 8, 87, 1},
    {"1.16 1.2 3 1 3 9 87x% 1 1", 8, 87, 1},
    // The AC line: on for exactly 1, however it is written.
    {"1.16 1.2 3 0x00 3 9 50% 1 1", 10, 50, 0},
    {"1.16 1.2 3 0x02 3 9 50% 1 1", 10, 50, 0},
    {"1.16 1.2 3 0xff 3 9 50% 1 1", 10, 50, 0},
    {"1.16 1.2 3 ff 3 9 50% 1 1", 10, 50, 0},
    {"1.16 1.2 3 1 3 9 50% 1 1", 10, 50, 1},
    {"1.16 1.2 3 0X0001 3 9 50% 1 1", 10, 50, 1},
    {"1.16 1.2 3 +0x1 3 9 50% 1 1", 10, 50, 1},
    {"1.16 1.2 3 0x 3 9 50% 1 1", 10, 50, 0},
    // sscanf would wrap these; they must take the nearest value instead.
    {"1.16 1.2 3 1 3 9 4294967297% 1 1", 10, 100, 1},
    {"1.16 1.2 3 1 3 9 2147483648% 1 1", 10, 100, 1},
    {"1.16 1.2 3 1 3 9 -99999999999% 1 1", 10, INT32_MIN, 1},
    {"1.16 1.2 3 1 3 9 -4294967295% 1 1", 10, INT32_MIN, 1},
    {"1.16 1.2 3 0x100000001 3 9 50% 1 1", 10, 50, 0},
    {"1.16 1.2 3 -1 3 9 50% 1 1", 10, 50, 0},
    {"1.16 1.2 3 -ffffffffffffffff 3 9 50% 1 1", 10, 50, 0},
    {"1.16 1.2 3 -0xffffffff 3 9 50% 1 1", 10, 50, 0},
    {"1.16 1.2 3 1000000000000000000000001 3 9 50% 1 1", 10, 50, 0},
    // Fields never reached leave no level and no AC power, never garbage.
    {"", 0, -1, 0},
    {" \t\n", 0, -1, 0},
    {"1.16ac", 1, -1, 0},
    {"1.16ac 1,2 0x03 0x01", 2, -1, 0},
    {"1.16ac 1.2 0x03", 4, -1, 0},
    {"1.16ac 1.2 0x03 0x01", 5, -1, 1},
    {"1.16ac 1.2 0x03 0x01 0x03 0x09", 7, -1, 1},
    {"1.16ac 1.2 0x03 0x01 0x03 0x09 %87", 7, -1, 1},
    {"1.16ac 1.2 0x03 zz 0x03 0x09 87% 1 1", 4, -1, 0},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Lines, StatusLine, testing::ValuesIn(kLines));

// Every kernel writes nine fields that scan: the unit after them is text.
TEST(ScanApmLine, ReadsWhatEveryKernelWrites) {
  for (const kernel_line &k : kKernelLines) {
    apm_reading reading = {};
    int fields = scan_apm_line(k.line, &reading);
    power_status = {55, 55};
    store_power_status(&reading, fields);
    EXPECT_EQ(fields, 9) << k.kernel << ": " << k.line;
    EXPECT_EQ(power_status.battery, k.battery) << k.kernel << ": " << k.line;
    EXPECT_EQ(power_status.ac_line, k.ac_line) << k.kernel << ": " << k.line;
  }
}

TEST(ScanApmLine, CutsALongVersionWithoutLosingTheFieldsAfterIt) {
  std::string line = std::string(300, 'v') + " 1.2 0x03 0x01 0x03 0x09 87% 120 min";
  apm_reading reading = {};
  ASSERT_EQ(scan_apm_line(line.c_str(), &reading), 9);
  EXPECT_EQ(std::string(reading.driver_version), std::string(apm_version_size, 'v'));
  EXPECT_EQ(reading.battery_percent, 87);
  EXPECT_EQ(reading.remaining_time, 120);
}

TEST(ScanApmLine, ReadsEveryField) {
  apm_reading r = {};
  ASSERT_EQ(scan_apm_line("1.16ac -1.+2 0xA 0XbC -0 d 7% -5 +6", &r), 10);
  EXPECT_STREQ(r.driver_version, "1.16ac");
  EXPECT_EQ(r.bios_major, -1);
  EXPECT_EQ(r.bios_minor, 2);
  EXPECT_EQ(r.apm_flags, 0xAu);
  EXPECT_EQ(r.ac_line_status, 0xBCu);
  EXPECT_EQ(r.battery_status, 0u);
  EXPECT_EQ(r.battery_flag, 0xDu);
  EXPECT_EQ(r.battery_percent, 7);
  EXPECT_EQ(r.remaining_time, -5);
  EXPECT_EQ(r.time_units, 6);
}

// The edges of 32-bit arithmetic: the last values that fit, the first that
// do not, and those that would wrap to a small number in 32 bits.
TEST(ScanApmLine, DecimalSaturatesAtTheEdges) {
  const std::pair<const char *, int32_t> cases[] = {
      {"2147483647", INT32_MAX},  {"2147483648", INT32_MAX},  {"4294967299", INT32_MAX},
      {"42949672950", INT32_MAX}, {"-2147483648", INT32_MIN}, {"-2147483649", INT32_MIN},
      {"-4294967299", INT32_MIN}, {"000000000000042", 42},
  };
  for (const auto &[number, value] : cases) {
    std::string line = std::string("v ") + number + ".1 0 0 0 0 5% 0 0";
    apm_reading r = {};
    ASSERT_EQ(scan_apm_line(line.c_str(), &r), 10) << number;
    EXPECT_EQ(r.bios_major, value) << number;
  }
}

TEST(ScanApmLine, HexSaturatesAtTheEdges) {
  const std::pair<const char *, uint32_t> cases[] = {
      {"ffffffff", UINT32_MAX},  {"0fffffff", 0x0fffffffU},          {"100000000", UINT32_MAX},
      {"10000000f", UINT32_MAX}, {"0x00000000ffffffff", UINT32_MAX}, {"-0", 0},
  };
  for (const auto &[number, value] : cases) {
    std::string line = std::string("v 1.1 ") + number + " 0 0 0 5% 0 0";
    apm_reading r = {};
    ASSERT_EQ(scan_apm_line(line.c_str(), &r), 10) << number;
    EXPECT_EQ(r.apm_flags, value) << number;
  }
}

struct read_case {
  const char *name;
  std::string file;
  bool read;
  std::string line;
};

void PrintTo(const read_case &c, std::ostream *os) { *os << c.name; }

// The file's bytes as a file in memory, read as a whole.
int memory_file(const std::string &bytes) {
  int fd = memfd_create("apm", MFD_CLOEXEC);
  if (fd >= 0 && (write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) ||
                  lseek(fd, 0, SEEK_SET) != 0)) {
    close(fd);
    return -1;
  }
  return fd;
}

// The same bytes in packets of three, so that every read comes up short.
int trickle(const std::string &bytes) {
  int ends[2];
  if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0) return -1;
  for (size_t at = 0; at < bytes.size(); at += 3) {
    size_t n = std::min<size_t>(3, bytes.size() - at);
    if (send(ends[1], bytes.data() + at, n, 0) != static_cast<ssize_t>(n)) return -1;
  }
  close(ends[1]);
  return ends[0];
}

class StatusFile : public testing::TestWithParam<read_case> {};

TEST_P(StatusFile, ReadsTheFirstLineOnly) {
  const read_case &c = GetParam();
  for (int fd : {memory_file(c.file), trickle(c.file)}) {
    ASSERT_GE(fd, 0) << strerror(errno);
    char line[apm_line_size];
    memset(line, 'z', sizeof line);
    errno = 0;
    ASSERT_EQ(read_status_line(fd, line), c.read);
    if (c.read) {
      EXPECT_EQ(std::string(line), c.line);
      EXPECT_EQ(line[apm_line_size - 1], '\0');
    } else {
      EXPECT_EQ(errno, ENODATA);
    }
    close(fd);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, StatusFile,
    testing::Values(
        read_case{"Line", "1.16 1.2 3 1 3 9 50% 1 1\n", true, "1.16 1.2 3 1 3 9 50% 1 1\n"},
        read_case{"NoNewline", "1.16 1.2", true, "1.16 1.2"},
        read_case{"SecondLineIgnored", "1.16 a\n1.16 1.2 3 1 3 9 50% 1 1\n", true, "1.16 a\n"},
        read_case{"LongLineCut", std::string(150, '7'), true, std::string(98, '7')},
        read_case{"NewlineJustPastTheLimit", std::string(98, '7') + "\n", true,
                  std::string(98, '7')},
        read_case{"NulByte", std::string("1.16\0 1.2\n", 10), true, "1.16"},
        read_case{"Empty", "", false, ""}),
    [](const testing::TestParamInfo<read_case> &p) { return p.param.name; });

TEST(ReadStatusLine, KeepsTheErrorOfARealReadError) {
  int fd = open("/", O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  char line[apm_line_size];
  errno = 0;
  EXPECT_FALSE(read_status_line(fd, line));
  EXPECT_EQ(errno, EISDIR);
  close(fd);
}

}  // namespace
