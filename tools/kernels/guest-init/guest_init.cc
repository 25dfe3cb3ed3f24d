// SPDX-License-Identifier: MIT
// The whole userland of a guest that tools/kernel-check boots: a static
// init, built like the release for the machine's oldest CPU, so that
// nothing in the guest needs more CPU than the binaries under test.
//
// It mounts /dev, /proc and /sys, then follows /plan, one step a line:
//
//   insmod FILE [PARAMETERS]  load a module, as insmod does
//   rmmod NAME                unload it
//   write FILE VALUE          write VALUE and a newline, as echo does
//   wait-nonzero FILE         wait, up to 30 s, until FILE holds more than 0
//   wait-asleep THREAD        wait, up to 5 s, until a kernel thread sleeps
//   mount-tmpfs DIR           hide DIR (/proc: no /proc/apm) under an empty tmpfs
//   report SCENARIO           report /proc/apm and every program's output
//
// A step written with a leading "-" may fail, as in make.
// and reports on the console, for each report step:
//
//   KC-LINE:SCENARIO:HEX-OF-/proc/apm (or none)
//   KC-RUN:SCENARIO:LABEL:STATUS:HEX-OF-STDOUT:HEX-OF-STDERR   (each program)
//   KC-BROKEN:SCENARIO:the step that failed since the last report
//   KC-END
//
// STATUS is the exit status, or 128 + the signal that ended the program,
// as a shell gives it.  Then it restarts the machine, which ends qemu.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mount.h>
#include <sys/reboot.h>
#ifndef __KLIBC__
#include <sys/syscall.h>
#endif
#include <sys/wait.h>
#include <unistd.h>

namespace {

#ifdef __KLIBC__
// klibc, for the old ARM ABI, has no syscall(): a function for each call.
extern "C" long finit_module(int, const char *, int);
extern "C" long delete_module(const char *, unsigned int);
long load_module(int fd, const char *parameters) { return finit_module(fd, parameters, 0); }
long unload_module(const char *name) { return delete_module(name, O_NONBLOCK); }
void restart() { reboot(RB_AUTOBOOT, nullptr); }
#else
long load_module(int fd, const char *parameters) {
  return syscall(SYS_finit_module, fd, parameters, 0);
}
long unload_module(const char *name) { return syscall(SYS_delete_module, name, O_NONBLOCK); }
void restart() { reboot(RB_AUTOBOOT); }
#endif

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

// The file's first bytes, terminated; empty where it cannot be read.
void read_text(const char *path, char *text, size_t size) {
  text[0] = '\0';
  int fd = open(path, O_RDONLY);
  if (fd < 0) return;
  ssize_t n = read(fd, text, size - 1);
  close(fd);
  text[n > 0 ? n : 0] = '\0';
}

// True once the thread is asleep in its main loop: the x86 APM driver's
// kapmd may not yet have agreed on an APM version with the BIOS before
// that, and /proc/apm then leaves out what APM 1.0 lacks.
bool thread_asleep(const char *name) {
  DIR *proc = opendir("/proc");
  if (proc == nullptr) return false;
  bool asleep = false;
  for (dirent *e; !asleep && (e = readdir(proc)) != nullptr;) {
    char path[300], stat[128];
    snprintf(path, sizeof path, "/proc/%s/stat", e->d_name);
    read_text(path, stat, sizeof stat);
    const char *comm = strchr(stat, '(');
    size_t length = strlen(name);
    asleep = comm != nullptr && strncmp(comm + 1, name, length) == 0 &&
             strncmp(comm + 1 + length, ") S", 3) == 0;
  }
  closedir(proc);
  return asleep;
}

bool holds_nonzero(const char *path) {
  char text[32];
  read_text(path, text, sizeof text);
  return atoi(text) != 0;
}

// Polls every 10 ms; false when the time ran out.
bool wait_for(bool (*ready)(const char *), const char *what, int seconds) {
  for (int tries = 0; tries < seconds * 100; ++tries) {
    if (ready(what)) return true;
    usleep(10000);
  }
  return false;
}

bool insmod(const char *file, const char *parameters) {
  int module = open(file, O_RDONLY | O_CLOEXEC);
  if (module < 0) return false;
  bool loaded = load_module(module, parameters) == 0;
  close(module);
  return loaded;
}

bool write_value(const char *file, const char *value) {
  int fd = open(file, O_WRONLY);
  if (fd < 0) return false;
  char text[128];
  int length = snprintf(text, sizeof text, "%s\n", value);
  bool written = length > 0 && static_cast<size_t>(length) < sizeof text &&
                 write(fd, text, static_cast<size_t>(length)) == length;
  close(fd);
  return written;
}

// One step of the plan: the first word is the step, the rest its
// arguments.  The first step that fails since the last report is kept in
// broken, and that report says so instead of running anything.
void step(char *line, char *broken, size_t size) {
  bool may_fail = line[0] == '-';
  if (may_fail) ++line;
  char *rest = line + strcspn(line, " ");
  if (*rest != '\0') *rest++ = '\0';
  char *second = rest + strcspn(rest, " ");
  char *tail = *second != '\0' ? second + 1 : second;
  errno = 0;
  bool done = true;
  if (strcmp(line, "report") == 0) {
    if (broken[0] != '\0') {
      printf("KC-BROKEN:%s:%s\n", rest, broken);
    } else {
      report(rest);
    }
    broken[0] = '\0';
    return;
  }
  if (strcmp(line, "insmod") == 0) {
    *second = '\0';
    done = insmod(rest, tail);
  } else if (strcmp(line, "rmmod") == 0) {
    done = unload_module(rest) == 0;
  } else if (strcmp(line, "write") == 0) {
    *second = '\0';
    done = write_value(rest, tail);
  } else if (strcmp(line, "wait-nonzero") == 0) {
    done = wait_for(holds_nonzero, rest, 30);
  } else if (strcmp(line, "wait-asleep") == 0) {
    done = wait_for(thread_asleep, rest, 5);
  } else if (strcmp(line, "mount-tmpfs") == 0) {
    done = mount("tmpfs", rest, "tmpfs", 0, nullptr) == 0;
  } else {
    done = false;
  }
  if (!done && !may_fail && broken[0] == '\0') {
    snprintf(broken, size, "%.40s %.150s: %.60s", line, rest,
             errno != 0 ? strerror(errno) : "failed");
  }
}

void follow_plan(const char *path) {
  FILE *plan = fopen(path, "r");
  char broken[256] = "";
  char line[512];
  while (plan != nullptr && fgets(line, sizeof line, plan) != nullptr) {
    line[strcspn(line, "\n")] = '\0';
    if (line[0] != '\0' && line[0] != '#') step(line, broken, sizeof broken);
  }
  if (plan != nullptr) fclose(plan);
}

}  // namespace

int main() {
  mount("dev", "/dev", "devtmpfs", 0, nullptr);
  int console = open("/dev/console", O_RDWR);
  if (console >= 0) {
    for (int fd = 0; fd <= 2; ++fd) dup2(console, fd);
  }
  mount("proc", "/proc", "proc", 0, nullptr);
  mount("sys", "/sys", "sysfs", 0, nullptr);
  // The kernel's own messages would break the lines of the report.
  write_value("/proc/sys/kernel/printk", "1");
  // The firmware's last words end without a newline: KC- lines start lines.
  printf("\n");
  follow_plan("/plan");
  printf("KC-END\n");
  fflush(stdout);
  sync();
  restart();
  return 0;
}
