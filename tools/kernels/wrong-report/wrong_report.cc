// SPDX-License-Identifier: MIT
// A negative control for the kernel checks: a program that prints a
// report of its own, whatever /proc/apm says.  Given in place of a
// release binary, it must fail every check of every machine, or the
// checks compare nothing.
#include <unistd.h>

int main() {
  static const char report[] = "battery=50\nac_line=on\n";
  return write(1, report, sizeof report - 1) == sizeof report - 1 ? 0 : 1;
}
