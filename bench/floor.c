/* The floor: the system calls a status reader cannot do without, and
   nothing else.  Built static against musl by bench/startup. */
#include <fcntl.h>
#include <unistd.h>

int main(void) {
  char line[100];
  int fd = open("/proc/apm", O_RDONLY);
  if (fd < 0) return 1;
  ssize_t n = read(fd, line, 98);
  close(fd);
  if (n <= 0) return 1;
  return write(1, line, (size_t)n) == n ? 0 : 1;
}
