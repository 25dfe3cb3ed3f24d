// SPDX-License-Identifier: MIT
// The whole userland of an x86 guest that tools/kernel-check boots: a
// static init built for the i486, so that nothing in the guest needs more
// CPU than the oldest machine cellora is released for.
//
// It mounts /dev and /proc, loads /apm.ko where the kernel has the APM
// driver as a module (and waits for the driver to settle), and reports to the console, for the
// scenario named by kc_scenario= on the kernel's command line, the kernel's /proc/apm and what
// every program in /under-test printed:
//
//   KC-LINE:SCENARIO:HEX-OF-/proc/apm (or none)
//   KC-RUN:SCENARIO:LABEL:STATUS:HEX-OF-STDOUT:HEX-OF-STDERR
//   KC-END
//
// STATUS is the exit status, or 128 + the signal that ended the program,
// as a shell gives it.  Then it restarts the machine, which ends qemu.
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mount.h>
#include <sys/reboot.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Prints the file's bytes in hex; false where it cannot be opened.
bool print_hex(const char *path) {
  int fd = open(path, O_RDONLY);
  if (fd < 0) return false;
  unsigned char buf[512];
  ssize_t n;
  while ((n = read(fd, buf, sizeof buf)) > 0) {
    for (ssize_t i = 0; i < n; ++i) printf("%02x", buf[i]);
  }
  close(fd);
  return true;
}

int run(const char *path, const char *label) {
  pid_t pid = fork();
  if (pid == 0) {
    int out = open("/out", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open("/err", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(125);
    close(out);
    close(err);
    char *argv[] = {const_cast<char *>(label), nullptr};
    execv(path, argv);
    _exit(127);
  }
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid) return 126;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// True once the thread is asleep in its main loop: before that it may not
// yet have agreed on an APM version with the BIOS, and /proc/apm then
// leaves out what APM 1.0 lacks (the battery flag and the time left).
bool thread_asleep(const char *name) {
  DIR *proc = opendir("/proc");
  if (proc == nullptr) return false;
  bool asleep = false;
  for (dirent *e; !asleep && (e = readdir(proc)) != nullptr;) {
    char path[300], stat[128] = "";
    snprintf(path, sizeof path, "/proc/%s/stat", e->d_name);
    int fd = open(path, O_RDONLY);
    if (fd < 0) continue;
    ssize_t n = read(fd, stat, sizeof stat - 1);
    close(fd);
    if (n <= 0) continue;
    stat[n] = '\0';
    const char *comm = strchr(stat, '(');
    size_t length = strlen(name);
    asleep = comm != nullptr && strncmp(comm + 1, name, length) == 0 &&
             strncmp(comm + 1 + length, ") S", 3) == 0;
  }
  closedir(proc);
  return asleep;
}

// apm.ko leaves the BIOS to its thread kapmd, which may not have run yet
// when the module is loaded.
void load_apm_module() {
  int module = open("/apm.ko", O_RDONLY | O_CLOEXEC);
  if (module < 0 || syscall(SYS_finit_module, module, "", 0) != 0) return;
  for (int tries = 0; tries < 500 && !thread_asleep("kapmd"); ++tries) usleep(10000);
}

void report(const char *scenario) {
  printf("KC-LINE:%s:", scenario);
  fflush(stdout);
  if (!print_hex("/proc/apm")) printf("none");
  printf("\n");
  DIR *dir = opendir("/under-test");
  if (dir == nullptr) return;
  for (dirent *e; (e = readdir(dir)) != nullptr;) {
    if (e->d_name[0] == '.') continue;
    char path[300];
    snprintf(path, sizeof path, "/under-test/%s", e->d_name);
    fflush(stdout);
    int status = run(path, e->d_name);
    printf("KC-RUN:%s:%s:%d:", scenario, e->d_name, status);
    print_hex("/out");
    printf(":");
    print_hex("/err");
    printf("\n");
  }
  closedir(dir);
}

}  // namespace

int main() {
  mount("dev", "/dev", "devtmpfs", 0, nullptr);
  int console = open("/dev/console", O_RDWR);
  if (console >= 0) {
    for (int fd = 0; fd <= 2; ++fd) dup2(console, fd);
  }
  mount("proc", "/proc", "proc", 0, nullptr);
  load_apm_module();
  // The firmware's last words end without a newline: KC- lines start lines.
  printf("\n");
  const char *scenario = getenv("kc_scenario");
  report(scenario != nullptr ? scenario : "unnamed");
  printf("KC-END\n");
  fflush(stdout);
  sync();
  reboot(RB_AUTOBOOT);
  return 0;
}
