// SPDX-License-Identifier: MIT
// A negative control for PowerPC CPU models: it runs one AltiVec
// instruction, which the 603, 604 and G3 (750) do not have, and says so
// if it lived.  Where the CPU model is really one of those, it dies of
// SIGILL; on a G4 (7400 and later) it prints "altivec ran" and exits 0.
#include <unistd.h>

int main() {
  // vaddubm v0, v0, v0: any AltiVec instruction will do.
  asm volatile("vaddubm 0, 0, 0" ::: "v0");
  static const char ran[] = "altivec ran\n";
  return write(1, ran, sizeof ran - 1) == sizeof ran - 1 ? 0 : 1;
}
