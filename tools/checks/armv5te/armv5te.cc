// SPDX-License-Identifier: MIT
// A negative control for ARMv4T CPU models: it runs one clz, which the
// ARMv5 brought, and says so if it lived.  Where the CPU model is really
// an ARMv4T (the ARM920T, ARM925T), it dies of SIGILL; on an ARMv5TE (the
// ARM926) it prints "armv5te ran" and exits 0.
#include <unistd.h>

int main() {
  unsigned int bits = 1;
  asm volatile("clz %0, %0" : "+r"(bits));
  static const char ran[] = "armv5te ran\n";
  return bits == 31 && write(1, ran, sizeof ran - 1) == sizeof ran - 1 ? 0 : 1;
}
