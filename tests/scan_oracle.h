// An oracle for scan_apm_line: the sscanf of the glibc the tests are linked
// with, trusted only where every number fits its field.
#ifndef CELLORA_SCAN_ORACLE_H_
#define CELLORA_SCAN_ORACLE_H_

#include <string>

struct oracle_verdict {
  int fields;            // how many fields sscanf converted (EOF as 0)
  bool all_fit;          // every converted number fitted its field
  std::string mismatch;  // empty when scanner and oracle agree
};

// Scans line with scan_apm_line and store_power_status and checks the
// fields, their values and the derived power_status against sscanf; where
// a number does not fit, checks that it saturated instead of wrapping.
oracle_verdict check_against_sscanf(const char *line);

#endif  // CELLORA_SCAN_ORACLE_H_
