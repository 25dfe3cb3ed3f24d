// SPDX-License-Identifier: MIT
// The power status as the kernel's APM driver reports it in /proc/apm.
#ifndef CELLORA_APM_STATUS_H_
#define CELLORA_APM_STATUS_H_

#include <stdint.h>

// What one reading left behind: the only thing the report looks at.
struct power_status_record {
  int32_t battery;  // percent, never above 100; -1 when no level is known
  int32_t ac_line;  // 1 on AC power, 0 off it, -1 before the first reading
};

extern power_status_record power_status;

// Reads the first line of /proc/apm into power_status.  When the file
// cannot be opened or holds no line, writes the reason to standard error
// and ends the process with status 1 instead of returning.
void read_apm_status();

// The pieces read_apm_status is made of, for the tests and the fuzzer.

// The line buffer: at most apm_line_size - 2 characters are read into it.
constexpr int apm_line_size = 100;
constexpr int apm_read_limit = apm_line_size - 1;
// The driver version is never used; longer ones are cut to this length.
constexpr int apm_version_size = 16;

// The ten fields of one status line, in line order.
struct apm_reading {
  char driver_version[apm_version_size + 1];
  int32_t bios_major;
  int32_t bios_minor;
  uint32_t apm_flags;
  uint32_t ac_line_status;
  uint32_t battery_status;
  uint32_t battery_flag;
  int32_t battery_percent;
  int32_t remaining_time;
  int32_t time_units;
};

// Reads the first line of the file open on fd into line, as fgets does
// with a limit of apm_read_limit (at most 98 characters, stopping after a
// newline), and terminates the buffer's last byte as well.  Returns false
// when the read fails or no character could be read; errno then names the
// read error, or is ENODATA when the file was empty.
bool read_status_line(int fd, char (&line)[apm_line_size]);

// Scans line as glibc's sscanf does with "%s %d.%d %x %x %x %x %d%% %d %d\n"
// and returns how many fields were converted, 0 where sscanf would give
// EOF.  As in glibc, white space before "%%" is skipped, "%x" takes a sign,
// and a "0x" with no digit after it reads as 0 (musl's sscanf stops there).
// A number that does not fit its field takes the nearest value the field
// holds, where C libraries differ (x86-64 glibc wraps a "%d", i386 glibc
// saturates it): the nearest int32_t for a decimal number, the nearest
// uint32_t for a hexadecimal one, 0 for a negative hexadecimal one.  The
// driver version is cut to apm_version_size characters.  The tests check
// it against the sscanf of the glibc they are built with.
int scan_apm_line(const char *line, apm_reading *reading);

// What the old ARM kernels write for a level they do not know: an
// unsigned char's -1.
constexpr int32_t apm_unknown_level = 255;

// Derives the level and the AC line state from the first `fields` fields
// of reading and stores them in power_status: a level above 100 reads as
// 100, but apm_unknown_level as no level.  Fields never reached count as
// no level and no AC power.
void store_power_status(const apm_reading *reading, int fields);

#endif  // CELLORA_APM_STATUS_H_
