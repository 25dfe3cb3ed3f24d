// SPDX-License-Identifier: MIT
// cellora: prints the battery level and AC line state from /proc/apm.
#include <errno.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "apm_status.h"

// What identifies any copy of the binary, one on a floppy or a CF card
// included: `strings` and `what` find it.  Nothing refers to it, so the
// build keeps it from the linker's garbage collection by name.
extern "C" const char cellora_version[] = "@(#)cellora " CELLORA_VERSION;

namespace {

// The length is known when this is compiled, so the copy is a few moves.
template <size_t size>
char *append(char *out, const char (&text)[size]) {
  memcpy(out, text, size - 1);
  return out + size - 1;
}

// What printf's "%d" gives, without printf's cost at every start.
char *append_decimal(char *out, int32_t n) {
  char digits[10];
  int count = 0;
  uint32_t magnitude = n < 0 ? 0U - static_cast<uint32_t>(n) : static_cast<uint32_t>(n);
  do {
    digits[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (n < 0) *out++ = '-';
  while (count > 0) *out++ = digits[--count];
  return out;
}

// Writes all of text to standard output, or returns the error that
// stopped it.
int write_out(const char *text, size_t length) {
  while (length > 0) {
    ssize_t n = write(1, text, length);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return EIO;  // no progress and no reason: give up, not spin
    text += n;
    length -= static_cast<size_t>(n);
  }
  return 0;
}

// "battery=%d\nac_line=%s\n" in one write.  A report that never reached
// its reader is a failure: status bars and scripts must not mistake a lost
// report for a printed one.
int write_report() {
  char report[sizeof "battery=-2147483648\nac_line=off\n"];
  char *end = append(report, "battery=");
  end = append_decimal(end, power_status.battery);
  end = power_status.ac_line != 0 ? append(end, "\nac_line=on\n") : append(end, "\nac_line=off\n");
  int error = write_out(report, static_cast<size_t>(end - report));
  if (error == 0) return 0;
  fprintf(stderr, "cellora: Can't write report: %s\n", strerror(error));
  return 1;
}

}  // namespace

int main() {
  read_apm_status();
  if (power_status.battery == -1) {
    static const char no_level[] = "Can not get battery level\n";
    fwrite(no_level, 1, sizeof no_level - 1, stderr);
    return 1;
  }
  return write_report();
}
