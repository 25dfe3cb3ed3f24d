/* The plain C way to write this tool: stdio, sscanf and printf.  Built
   static against glibc by bench/startup, as the yardstick for the default
   build. */
#include <errno.h>
#include <stdio.h>
#include <string.h>

int main(void) {
  char line[100], version[100];
  int major, minor, percent, time, units;
  unsigned flags, ac, status, flag;
  errno = 0;
  FILE *f = fopen("/proc/apm", "r");
  if (f == NULL || fgets(line, 99, f) == NULL) {
    fprintf(stderr, "plain: Can't read proc info: %s\n", strerror(errno));
    return 1;
  }
  line[99] = '\0';
  sscanf(line, "%s %d.%d %x %x %x %x %d%% %d %d\n", version, &major, &minor, &flags, &ac, &status,
         &flag, &percent, &time, &units);
  fclose(f);
  if (percent > 100) percent = 100;
  if (percent == -1) {
    fwrite("Can not get battery level\n", 1, 26, stderr);
    return 1;
  }
  printf("battery=%d\nac_line=%s\n", percent, ac == 1 ? "on" : "off");
  return 0;
}
