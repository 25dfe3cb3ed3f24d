// The manual page against the tool: lint-clean, and its DIAGNOSTICS are
// exactly the messages cellora prints.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "apm_namespace.h"

namespace {

std::string command_output(const std::string &command) {
  std::string text;
  FILE *p = popen(command.c_str(), "r");
  if (p == nullptr) return "popen failed";
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) text.append(buf, n);
  int status = pclose(p);
  return status == 0 ? text : text + "\n(exit status " + std::to_string(status) + ")";
}

// The tags of the DIAGNOSTICS section, as rendered: the lines indented by
// seven columns, each one message, with the placeholder "reason".
std::vector<std::string> rendered_diagnostics() {
  std::string page = command_output("groff -man -Tascii -P-cbou " CELLORA_MAN_PAGE " 2>&1");
  std::vector<std::string> tags;
  bool inside = false;
  size_t start = 0;
  for (size_t end; (end = page.find('\n', start)) != std::string::npos; start = end + 1) {
    std::string line = page.substr(start, end - start);
    if (!line.empty() && line[0] != ' ') inside = line == "DIAGNOSTICS";
    if (inside && line.size() > 7 && line.compare(0, 7, "       ") == 0 && line[7] != ' ') {
      tags.push_back(line.substr(7));
    }
  }
  return tags;
}

bool matches(const std::string &tag, const std::string &message) {
  std::string pattern;
  for (char c : tag) {
    if (std::isalnum(static_cast<unsigned char>(c)) == 0) pattern += '\\';
    pattern += c;
  }
  pattern = std::regex_replace(pattern, std::regex("reason$"), ".+");
  return std::regex_match(message, std::regex(pattern));
}

TEST(ManPage, IsLintClean) {
  EXPECT_EQ(command_output("groff -man -ww -z " CELLORA_MAN_PAGE " 2>&1"), "");
}

// The page must render with the man of 1999 too: the macros that 4.4BSD's
// tmac.an and groff 1.1x's an both have, and the plain requests for
// filled and unfilled text.  .EX, .EE, .UR, .SY and the like came later:
// an old groff drops them, and an example runs into one line.
TEST(ManPage, UsesOnlyClassicMacros) {
  static const std::set<std::string> classic = {
      "TH", "SH", "SS", "TP", "IP", "HP", "LP", "PP", "RS", "RE", "B",  "I",  "R",  "BI", "BR",
      "IB", "IR", "RB", "RI", "SM", "DT", "PD", "nf", "fi", "br", "sp", "ft", "ne", "in", "ti"};
  std::ifstream page(CELLORA_SOURCE_DIR "/man/cellora.1.in");
  ASSERT_TRUE(page.is_open());
  std::string line;
  for (int number = 1; std::getline(page, line); ++number) {
    if (line.empty() || (line[0] != '.' && line[0] != '\'')) continue;
    if (line.compare(0, 3, ".\\\"") == 0) continue;  // a comment
    std::string name = line.substr(1, line.find_first_of(" \t", 1) - 1);
    EXPECT_EQ(classic.count(name), 1U) << "line " << number << ": ." << name;
  }
}

TEST(ManPage, DiagnosticsAreTheMessagesTheProgramPrints) {
  apm_setup no_level, no_file, full_disk;
  no_level.status = "1.16ac 1.2 0x03 0x01 0xff 0x80 -1% -1 ?\n";
  no_file.where = place::none;
  full_disk.status = "1.16ac 1.2 0x03 0x01 0x03 0x09 87% 120 min\n";
  full_disk.out = out_to::dev_full;
  std::vector<std::string> printed;
  for (const apm_setup &setup : {no_level, no_file, full_disk}) {
    run_result r = run_with_status(setup);
    REQUIRE_RUN(r);
    ASSERT_EQ(r.status, 1);
    ASSERT_FALSE(r.err.empty());
    ASSERT_EQ(r.err.back(), '\n');
    printed.push_back(r.err.substr(0, r.err.size() - 1));
  }
  std::vector<std::string> tags = rendered_diagnostics();
  ASSERT_EQ(tags.size(), printed.size()) << "one entry per message";
  for (size_t i = 0; i < tags.size(); ++i) {
    EXPECT_TRUE(matches(tags[i], printed[i])) << tags[i] << " vs " << printed[i];
  }
}

}  // namespace
