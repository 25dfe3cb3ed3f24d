// libFuzzer target: any bytes as the content of /proc/apm, through the
// same read, scan and derivation the tool runs, checked against sscanf.
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "apm_status.h"
#include "scan_oracle.h"

namespace {

[[noreturn]] void fail(const char *what, const char *line) {
  fprintf(stderr, "fuzz_status_line: %s\nline: \"%s\"\n", what, line);
  abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  // The bytes become a file, which the tool's own reader reads.
  static const int fd = memfd_create("apm", MFD_CLOEXEC);
  if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size) ||
      lseek(fd, 0, SEEK_SET) != 0) {
    fail("cannot make the status file", "");
  }
  char line[apm_line_size];
  errno = 0;
  bool read = read_status_line(fd, line);
  if (!read) {
    if (size != 0 || errno != ENODATA) fail("a file with bytes in it read as empty", "");
    return 0;
  }

  // What is scanned is the start of the file, up to the first newline,
  // NUL or the 98-character limit, whichever comes first.
  size_t length = strlen(line);
  size_t want = 0;
  while (want < size && want < apm_read_limit - 1 && data[want] != '\0') {
    if (data[want++] == '\n') break;
  }
  if (length != want || memcmp(line, data, length) != 0) fail("wrong first line", line);

  oracle_verdict verdict = check_against_sscanf(line);
  if (!verdict.mismatch.empty()) fail(verdict.mismatch.c_str(), line);
  if (power_status.battery > 100) fail("level above 100", line);
  if (power_status.ac_line != 0 && power_status.ac_line != 1) fail("AC line not 0 or 1", line);
  return 0;
}
