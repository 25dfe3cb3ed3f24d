// Runs a 32-bit x86 program as an old kernel would: every i386 system call
// numbered above N fails with ENOSYS, as it does on a kernel whose call
// table ends at N (163, mremap, on Linux 2.0; 252, exit_group, on late
// 2.4).  Calls of the 64-bit ABI, this runner's own among them, are left
// alone, so it can start the program and any wrapper around it.  Built
// with OLD_KERNEL_AUDIT_ARCH=AUDIT_ARCH_PPC, it does the same to 32-bit
// PowerPC calls, on a PowerPC kernel.
//
//   old-kernel N PROGRAM [ARG...]
//
// Built with OLD_KERNEL_LAST and OLD_KERNEL_PROGRAM defined, it runs that
// program with that table when it is given no arguments: the form in which
// a kernel check's guest, which runs each program under test without any,
// can run it on a real i386 kernel.
#include <errno.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

bool parse_last_call(const char *text, unsigned *last) {
  char *end = nullptr;
  errno = 0;
  unsigned long n = strtoul(text, &end, 10);
  if (errno != 0 || text[0] < '0' || text[0] > '9' || *end != '\0' || n > 4095) return false;
  *last = static_cast<unsigned>(n);
  return true;
}

#ifndef OLD_KERNEL_AUDIT_ARCH
#define OLD_KERNEL_AUDIT_ARCH AUDIT_ARCH_I386
#endif

bool install_filter(unsigned last) {
  sock_filter code[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, OLD_KERNEL_AUDIT_ARCH, 0, 2),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JGT | BPF_K, last, 1, 0),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (ENOSYS & SECCOMP_RET_DATA)),
  };
  sock_fprog program = {static_cast<unsigned short>(sizeof code / sizeof code[0]), code};
  return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
         prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

}  // namespace

int main(int argc, char **argv) {
#if defined(OLD_KERNEL_LAST) && defined(OLD_KERNEL_PROGRAM)
  char *defaults[] = {argv[0], const_cast<char *>(OLD_KERNEL_LAST),
                      const_cast<char *>(OLD_KERNEL_PROGRAM), nullptr};
  if (argc == 1) {
    argc = 3;
    argv = defaults;
  }
#endif
  unsigned last = 0;
  if (argc < 3 || !parse_last_call(argv[1], &last)) {
    fprintf(stderr, "usage: old-kernel N PROGRAM [ARG...]  (N: the last call, 0 to 4095)\n");
    return 2;
  }
  if (!install_filter(last)) {
    fprintf(stderr, "old-kernel: seccomp: %s\n", strerror(errno));
    return 2;
  }
  execvp(argv[2], argv + 2);
  fprintf(stderr, "old-kernel: %s: %s\n", argv[2], strerror(errno));
  return 127;
}
