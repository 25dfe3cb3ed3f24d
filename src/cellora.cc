// cellora: prints the battery level and AC line state from /proc/apm.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "apm_status.h"

namespace {

// A report that never reached its reader is a failure: status bars and
// scripts must not mistake a lost report for a printed one.
int write_report() {
  int error = 0;
  if (printf("battery=%d\nac_line=%s\n", power_status.battery,
             power_status.ac_line != 0 ? "on" : "off") < 0) {
    error = errno;
  }
  if (fflush(stdout) != 0 && error == 0) error = errno;
  if (error == 0 && ferror(stdout) == 0) return 0;
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
