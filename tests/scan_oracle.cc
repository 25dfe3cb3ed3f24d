#include "scan_oracle.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <vector>

#include "apm_status.h"

namespace {

const char *skip_space(const char *p) {
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  return p;
}

struct field_check {
  const char *name;
  bool hex;
  int64_t ours;
  int64_t libc32;  // what sscanf stored into the 32-bit field
  intmax_t wide;   // what sscanf stored into an intmax_t / uintmax_t
  uintmax_t uwide;
  bool negative;  // the token starts with a minus sign
};

bool fits(const field_check &f) {
  // A minus sign wraps even the wide field: "-ffffffffffffffff" reads as 1.
  if (f.hex && f.negative) return f.uwide == 0;
  if (f.hex) return f.uwide <= UINT32_MAX;
  return f.wide >= INT32_MIN && f.wide <= INT32_MAX;
}

// What the field must hold: sscanf's value where it fits, else the
// nearest end of the field's range.
int64_t expected(const field_check &f) {
  if (fits(f)) return f.libc32;
  if (f.hex) return f.negative ? 0 : UINT32_MAX;
  return f.wide < 0 ? INT32_MIN : INT32_MAX;
}

std::string describe(const char *what, int64_t got, int64_t want) {
  return std::string(what) + ": got " + std::to_string(got) + ", want " + std::to_string(want);
}

}  // namespace

oracle_verdict check_against_sscanf(const char *line) {
  oracle_verdict verdict = {0, true, ""};
  apm_reading ours = {};
  int fields = scan_apm_line(line, &ours);
  power_status = {-7, -7};
  store_power_status(&ours, fields);

  std::vector<char> text(strlen(line) + 1), wide_text(strlen(line) + 1);
  int32_t d[5] = {};
  unsigned x[4] = {};
  int n = sscanf(line, "%s %d.%d %x %x %x %x %d%% %d %d\n", text.data(), &d[0], &d[1], &x[0], &x[1],
                 &x[2], &x[3], &d[2], &d[3], &d[4]);
  if (n == EOF) n = 0;

  // The same pattern into wider fields, with the end of every field.
  intmax_t wd[5] = {};
  uintmax_t wx[4] = {};
  int end[10];
  for (int &e : end) e = -1;
  int wide_n = sscanf(line, "%s%n %jd%n.%jd%n %jx%n %jx%n %jx%n %jx%n %jd%n%% %jd%n %jd%n\n",
                      wide_text.data(), &end[0], &wd[0], &end[1], &wd[1], &end[2], &wx[0], &end[3],
                      &wx[1], &end[4], &wx[2], &end[5], &wx[3], &end[6], &wd[2], &end[7], &wd[3],
                      &end[8], &wd[4], &end[9]);
  if (wide_n == EOF) wide_n = 0;
  verdict.fields = n;
  if (wide_n != n) {
    verdict.mismatch = describe("sscanf field counts differ", wide_n, n);
    return verdict;
  }
  if (fields != n) {
    verdict.mismatch = describe("fields", fields, n);
    return verdict;
  }
  if (n >= 1) {
    std::string want(text.data(), strnlen(text.data(), apm_version_size));
    if (want != ours.driver_version) {
      verdict.mismatch =
          "driver_version: got \"" + std::string(ours.driver_version) + "\", want \"" + want + "\"";
      return verdict;
    }
  }

  auto hex_negative = [&](int field) { return *skip_space(line + end[field - 1]) == '-'; };
  const field_check checks[9] = {
      {"bios_major", false, ours.bios_major, d[0], wd[0], 0, false},
      {"bios_minor", false, ours.bios_minor, d[1], wd[1], 0, false},
      {"apm_flags", true, ours.apm_flags, x[0], 0, wx[0], n > 3 && hex_negative(3)},
      {"ac_line_status", true, ours.ac_line_status, x[1], 0, wx[1], n > 4 && hex_negative(4)},
      {"battery_status", true, ours.battery_status, x[2], 0, wx[2], n > 5 && hex_negative(5)},
      {"battery_flag", true, ours.battery_flag, x[3], 0, wx[3], n > 6 && hex_negative(6)},
      {"battery_percent", false, ours.battery_percent, d[2], wd[2], 0, false},
      {"remaining_time", false, ours.remaining_time, d[3], wd[3], 0, false},
      {"time_units", false, ours.time_units, d[4], wd[4], 0, false},
  };
  for (int i = 0; i + 1 < n; ++i) {
    const field_check &f = checks[i];
    verdict.all_fit = verdict.all_fit && fits(f);
    if (f.ours != expected(f)) {
      verdict.mismatch = describe(f.name, f.ours, expected(f));
      return verdict;
    }
  }

  int64_t level = n >= 8 ? expected(checks[6]) : -1;
  if (level == 255) level = -1;  // the old ARM kernels' unknown
  int64_t want_battery = level > 100 ? 100 : level;
  int64_t want_ac = n >= 5 && expected(checks[3]) == 1 ? 1 : 0;
  if (power_status.battery != want_battery) {
    verdict.mismatch = describe("battery", power_status.battery, want_battery);
  } else if (power_status.ac_line != want_ac) {
    verdict.mismatch = describe("ac_line", power_status.ac_line, want_ac);
  }
  return verdict;
}
