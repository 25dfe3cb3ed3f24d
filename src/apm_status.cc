// SPDX-License-Identifier: MIT
#include "apm_status.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

power_status_record power_status = {-1, -1};

namespace {

// The C locale's white space, which is what sscanf skips here: cellora
// never sets a locale, so no environment can change how a line reads.
bool is_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool is_digit(char c) { return c >= '0' && c <= '9'; }

int hex_digit(char c) {
  if (is_digit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

const char *skip_space(const char *p) {
  while (is_space(*p)) ++p;
  return p;
}

const char *skip_sign(const char *p, bool *negative) {
  *negative = *p == '-';
  return *p == '-' || *p == '+' ? p + 1 : p;
}

// "%s": the whole run of non-blank characters is consumed, as sscanf
// would, but only the first apm_version_size of them are kept.
const char *scan_text(const char *p, char *out) {
  p = skip_space(p);
  if (*p == '\0') return nullptr;
  int kept = 0;
  for (; *p != '\0' && !is_space(*p); ++p) {
    if (kept < apm_version_size) out[kept++] = *p;
  }
  out[kept] = '\0';
  return p;
}

// Past these the next digit could overflow the 32-bit magnitude; any
// number that gets there is far outside the field, so the magnitude then
// sticks at UINT32_MAX, which saturates the field whichever its sign.
// 32-bit arithmetic throughout: on the i486 each 64-bit step costs several.
constexpr uint32_t decimal_room = (UINT32_MAX - 9) / 10;
constexpr uint32_t hex_room = UINT32_MAX >> 4;

// "%d", saturating where sscanf would wrap.
const char *scan_decimal(const char *p, int32_t *out) {
  bool negative = false;
  p = skip_sign(skip_space(p), &negative);
  if (!is_digit(*p)) return nullptr;
  uint32_t magnitude = 0;
  for (; is_digit(*p); ++p) {
    uint32_t digit = static_cast<uint32_t>(*p - '0');
    magnitude = magnitude <= decimal_room ? magnitude * 10 + digit : UINT32_MAX;
  }
  constexpr uint32_t most = INT32_MAX;
  if (negative) {
    *out = magnitude > most ? INT32_MIN : -static_cast<int32_t>(magnitude);
  } else {
    *out = magnitude > most ? INT32_MAX : static_cast<int32_t>(magnitude);
  }
  return p;
}

// "%x", saturating where sscanf would wrap; a minus sign puts any value
// other than zero below the range.  Like glibc, a "0x" prefix with no
// digits after it reads as 0 and is consumed.
const char *scan_hex(const char *p, uint32_t *out) {
  bool negative = false;
  p = skip_sign(skip_space(p), &negative);
  bool converted = false;
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    p += 2;
    converted = true;
  }
  uint32_t magnitude = 0;
  for (int digit; (digit = hex_digit(*p)) >= 0; ++p) {
    magnitude = magnitude <= hex_room ? magnitude << 4 | static_cast<uint32_t>(digit) : UINT32_MAX;
    converted = true;
  }
  if (!converted) return nullptr;
  *out = negative ? 0 : magnitude;
  return p;
}

[[noreturn]] void fail_read() {
  fprintf(stderr, "cellora: Can't read proc info: %s\n", strerror(errno));
  _exit(1);
}

}  // namespace

bool read_status_line(int fd, char (&line)[apm_line_size]) {
  // fgets with a limit of apm_read_limit, without stdio's buffer: the
  // first line, newline included, or as much of it as the limit allows.
  constexpr size_t limit = apm_read_limit - 1;
  size_t length = 0;
  while (length < limit) {
    ssize_t n = read(fd, line + length, limit - length);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    const void *newline = memchr(line + length, '\n', static_cast<size_t>(n));
    if (newline != nullptr) {
      length = static_cast<size_t>(static_cast<const char *>(newline) - line) + 1;
      break;
    }
    length += static_cast<size_t>(n);
  }
  if (length == 0) {
    // End of file before the first character: "Success" would be a lie.
    errno = ENODATA;
    return false;
  }
  line[length] = '\0';
  line[apm_line_size - 1] = '\0';
  return true;
}

int scan_apm_line(const char *line, apm_reading *r) {
  const char *p = line;
  if ((p = scan_text(p, r->driver_version)) == nullptr) return 0;
  if ((p = scan_decimal(p, &r->bios_major)) == nullptr) return 1;
  if (*p != '.' || (p = scan_decimal(p + 1, &r->bios_minor)) == nullptr) {
    return 2;
  }
  uint32_t *const hex_fields[] = {&r->apm_flags, &r->ac_line_status, &r->battery_status,
                                  &r->battery_flag};
  for (int i = 0; i < 4; ++i) {
    if ((p = scan_hex(p, hex_fields[i])) == nullptr) return 3 + i;
  }
  if ((p = scan_decimal(p, &r->battery_percent)) == nullptr) return 7;
  // glibc skips white space before "%%" too.
  p = skip_space(p);
  if (*p != '%' || (p = scan_decimal(p + 1, &r->remaining_time)) == nullptr) {
    return 8;
  }
  if (scan_decimal(p, &r->time_units) == nullptr) return 9;
  return 10;
}

void store_power_status(const apm_reading *r, int fields) {
  int32_t level = fields >= 8 ? r->battery_percent : -1;
  // The ARM kernels' own APM code before the shared emulation (2.4, and
  // 2.6 up to about 2.6.21) keeps the level in an unsigned char that
  // starts at 255 and prints it as it is: there, 255 is its -1.  No other
  // kernel writes 255 (x86 turns the BIOS's 0xff into -1), so it is no
  // level, never a full battery.
  if (level == apm_unknown_level) level = -1;
  power_status.battery = level > 100 ? 100 : level;
  power_status.ac_line = fields >= 5 && r->ac_line_status == 1 ? 1 : 0;
}

void read_apm_status() {
  errno = 0;
  int fd = open("/proc/apm", O_RDONLY);
  char line[apm_line_size];
  if (fd < 0 || !read_status_line(fd, line)) fail_read();
  apm_reading reading = {};
  int fields = scan_apm_line(line, &reading);
  close(fd);
  store_power_status(&reading, fields);
}
