// Runs a program, cellora by default, with a status file of the test's own
// at /proc/apm, placed on a tmpfs over /proc in a private mount namespace.
#ifndef CELLORA_APM_NAMESPACE_H_
#define CELLORA_APM_NAMESPACE_H_

#include <string>
#include <vector>

enum class place { file, none, directory, unreadable };
// small_fs: a file on a tmpfs of one page with fewer bytes left than the
// report, so that the first write comes up short and the next one fails.
enum class out_to { pipe, dev_full, closed, small_fs };

struct apm_setup {
  std::string status;  // the file's bytes, when place is file or unreadable
  place where = place::file;
  // As root, a readable file also reads without the capabilities that
  // override file modes; dropped, it reads only as its mode allows, and
  // an open for writing fails (place::unreadable always drops them).
  bool drop_file_override = false;
  out_to out = out_to::pipe;
  std::vector<std::string> args;
  std::vector<std::string> env;  // NAME=value, added to the test's own
  std::string program;           // empty: the cellora under test
};

struct run_result {
  std::string out, err;
  int status = -1;  // exit status, or 128 + signal
  // Why nothing ran: "skip: ..." where this machine cannot make the
  // namespace, anything else for a fault of the test.
  std::string setup_error;
};

// The cellora under test: $CELLORA_BIN, else the one this build made.
const char *cellora_binary();

run_result run_with_status(const apm_setup &setup);

// Whether a skip of the end-to-end tests is a failure: only under
// CELLORA_REQUIRE_E2E=1, which our own CI sets.  A generic CI=true is set
// by distributions' build services too, whose chroots and containers may
// allow no namespace.
bool end_to_end_required();

// Ends the test when nothing could run: a skip that says why, except
// where the end-to-end tests are required, and a skip is a failure.
#define REQUIRE_RUN(r)                                                                  \
  do {                                                                                  \
    if ((r).setup_error.rfind("skip: ", 0) == 0) {                                      \
      if (end_to_end_required()) {                                                      \
        FAIL() << "CELLORA_REQUIRE_E2E=1, and cannot run end to end: "                  \
               << (r).setup_error.substr(6);                                            \
      }                                                                                 \
      GTEST_SKIP() << "no private mount namespace here: " << (r).setup_error.substr(6); \
    }                                                                                   \
    ASSERT_EQ((r).setup_error, "");                                                     \
  } while (0)

#endif  // CELLORA_APM_NAMESPACE_H_
