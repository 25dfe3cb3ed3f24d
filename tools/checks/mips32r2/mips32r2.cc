// SPDX-License-Identifier: MIT
// A negative control for MIPS32r1 and older CPU models: it runs one seb
// (sign-extend byte), which MIPS32r2 brought, and says so if it lived.
// Where the CPU model is really a MIPS32r1 (the 4Kc, as the Au1x00) or
// older, it dies of SIGILL; on a MIPS32r2 (the 24Kf) it prints
// "mips32r2 ran" and exits 0.
#include <unistd.h>

int main() {
  int value = 0x80;
  asm volatile(".set push\n.set mips32r2\nseb %0, %0\n.set pop" : "+r"(value));
  static const char ran[] = "mips32r2 ran\n";
  return value == -128 && write(1, ran, sizeof ran - 1) == sizeof ran - 1 ? 0 : 1;
}
