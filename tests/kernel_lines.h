// The first lines of /proc/apm as each kernel generation writes them, all
// with "%s %d.%d 0x%02x 0x%02x 0x%02x 0x%02x %d%% %d %s\n": the driver
// version, the BIOS version and flags, the AC line, battery status and
// flag, the level, and the time left with its unit ("min", "sec" or "?").
// Board drivers outside the mainline write more after the unit, or a
// second line.  The scanner's tests and the end-to-end tests share them.
#ifndef CELLORA_KERNEL_LINES_H_
#define CELLORA_KERNEL_LINES_H_

#include <stdint.h>

struct kernel_line {
  const char *kernel;
  const char *line;
  int32_t battery;  // what cellora must take from it; -1: no level
  int32_t ac_line;
};

// clang-format off
inline const kernel_line kKernelLines[] = {
    {"2.0",         "1.2 1.0 0x02 0x01 0xff 0xff 87% -1 ?\n",                    87, 1},
    {"2.0",         "1.2 1.1 0x03 0x00 0x01 0x02 23% 41 min\n",                  23, 0},
    {"2.2",         "1.9 1.2 0x03 0x00 0x00 0x01 42% 95 min\n",                  42, 0},
    {"2.2",         "1.12 1.2 0x07 0x01 0x03 0x08 100% -1 ?\n",                 100, 1},
    {"2.2",         "1.13 1.1 0x03 0x00 0x02 0x04 5% 9 min\n",                    5, 0},
    {"2.4",         "1.14 1.2 0x03 0x01 0xff 0x80 -1% -1 ?\n",                   -1, 1},
    {"2.4",         "1.16 1.2 0x03 0x02 0x01 0x02 20% 600 sec\n",                20, 0},
    {"2.6",         "1.16ac 1.2 0x03 0x01 0x00 0x01 150% 120 min\n",            100, 1},
    {"2.6",         "1.16ac 1.2 0x03 0xff 0xff 0xff -1% -1 ?\n",                 -1, 0},
    {"emulation",   "1.13 1.2 0x02 0x00 0x00 0x01 42% 95 min\n",                 42, 0},
    {"emulation",   "1.13 1.2 0x02 0xff 0x00 0x01 7% 30 min\n",                   7, 0},
    {"arm 2.4",     "1.13 1.2 0x02 0xff 0xff 0xff 255% -1 ?\n",                 -1, 0},
    {"arm 2.4",     "1.13 1.2 0x02 0x01 0x00 0x01 93% 250 min\n",               93, 1},
    {"board",       "1.13 1.2 0x02 0x01 0x03 0x08 55% 91 min 8123mV 1021mA\n",   55, 1},
    {"board",       "1.13 1.2 0x02 0x00 0x00 0x01 64% 200 min\nAC: 0 mA, 3 cells\n", 64, 0},
};
// clang-format on

#endif  // CELLORA_KERNEL_LINES_H_
