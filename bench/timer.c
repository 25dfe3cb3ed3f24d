/* Times process start-up to exit for several programs, interleaved run for
   run (A B C A B C ...) so that the machine's drift falls on all alike.
   Prints, per program, the median wall time of one run in microseconds
   and the median over rounds of its time divided by the first program's.

     timer ROUNDS PROGRAM...                                              */
#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char **environ;

static int compare(const void *a, const void *b) {
  double x = *(const double *)a, y = *(const double *)b;
  return (x > y) - (x < y);
}

static double median(double *v, int n) {
  qsort(v, (size_t)n, sizeof *v, compare);
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

static double run_once(const char *program, posix_spawn_file_actions_t *actions) {
  struct timespec start, end;
  char *argv[] = {(char *)program, NULL};
  pid_t pid;
  int status;
  clock_gettime(CLOCK_MONOTONIC, &start);
  if (posix_spawn(&pid, program, actions, NULL, argv, environ) != 0) {
    perror(program);
    exit(2);
  }
  waitpid(pid, &status, 0);
  clock_gettime(CLOCK_MONOTONIC, &end);
  return (double)(end.tv_sec - start.tv_sec) * 1e6 + (double)(end.tv_nsec - start.tv_nsec) / 1e3;
}

/* A whole number from 1 to 1,000,000, or 0 for anything else. */
static int parse_rounds(const char *text) {
  char *end;
  errno = 0;
  long n = strtol(text, &end, 10);
  return errno == 0 && end != text && *end == '\0' && n >= 1 && n <= 1000000 ? (int)n : 0;
}

int main(int argc, char **argv) {
  int rounds = argc >= 3 ? parse_rounds(argv[1]) : 0, programs = argc - 2;
  if (rounds == 0) {
    fprintf(stderr, "usage: timer ROUNDS PROGRAM...  (ROUNDS from 1 to 1000000)\n");
    return 2;
  }
  double *times = malloc(sizeof(double) * (size_t)rounds * (size_t)programs);
  double *column = malloc(sizeof(double) * (size_t)rounds);
  if (times == NULL || column == NULL) {
    perror("timer");
    return 2;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  for (int p = 0; p < programs; ++p) run_once(argv[2 + p], &actions); /* warm the cache */
  for (int r = 0; r < rounds; ++r) {
    for (int p = 0; p < programs; ++p) times[r * programs + p] = run_once(argv[2 + p], &actions);
  }
  for (int p = 0; p < programs; ++p) {
    for (int r = 0; r < rounds; ++r) column[r] = times[r * programs + p];
    double us = median(column, rounds);
    for (int r = 0; r < rounds; ++r) column[r] = times[r * programs + p] / times[r * programs];
    printf("%s %.1f %.3f\n", argv[2 + p], us, median(column, rounds));
  }
  return 0;
}
