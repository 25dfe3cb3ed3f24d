/* Runs a program where unshare(2) is refused with EPERM, as a container's
 * default seccomp profile refuses it: the end-to-end tests must skip
 * there, saying why, not fail.
 *
 *   no-unshare PROGRAM [ARG...]
 */
#include <errno.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <stddef.h>
#include <stdio.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

int main(int argc, char **argv) {
  struct sock_filter code[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_unshare, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EPERM),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  struct sock_fprog program = {sizeof code / sizeof code[0], code};
  if (argc < 2) {
    fprintf(stderr, "usage: no-unshare PROGRAM [ARG...]\n");
    return 2;
  }
  if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
      prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0) {
    fprintf(stderr, "no-unshare: seccomp: %s\n", strerror(errno));
    return 2;
  }
  execvp(argv[1], argv + 1);
  fprintf(stderr, "no-unshare: %s: %s\n", argv[1], strerror(errno));
  return 127;
}
