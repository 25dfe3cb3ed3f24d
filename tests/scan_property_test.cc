// The scanner against the C library's sscanf on many generated lines.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "scan_oracle.h"

namespace {

const char *const kRealLines[] = {
    "1.16ac 1.2 0x03 0x01 0x03 0x09 87% 120 min\n",
    "1.16ac 1.2 0x03 0x01 0xff 0x80 -1% -1 ?\n",
    "1.13 1.2 0x02 0xff 0xff 0xff -1% -1 ?\n",
    "1.16 1.2 0x02 0x01 0x03 0x08 55% 91 min 8123mV 1021mA 31\n",
    "1.16ac 1.2 0x03 0x00 0x00 0x01 42% 7200 sec\n",
};

class line_maker {
 public:
  explicit line_maker(uint32_t seed) : rng_(seed) {}

  // A line shaped like the kernel's, with numbers of every size.
  std::string shaped() {
    std::string s = pick({"1.16ac", "1.16", "1.2", "v", "\xff\xfe", "1.16acXXXXXXXXXXXXXXXXXXXX"});
    s += space() + decimal() + "." + decimal();
    for (int i = 0; i < 4; ++i) s += space() + hex();
    s += space() + decimal() + (chance(8) ? space() : "") + "%";
    s += space() + decimal() + space() + (chance(3) ? "min" : decimal());
    return s + (chance(2) ? "\n" : "");
  }

  // A real line with a few bytes inserted, removed or replaced.
  std::string mutated() {
    std::string s = kRealLines[below(std::size(kRealLines))];
    for (int edits = 1 + below(4); edits > 0; --edits) {
      size_t at = below(s.size() + 1);
      switch (below(3)) {
        case 0: s.insert(at, 1, byte()); break;
        case 1:
          if (at < s.size()) s.erase(at, 1);
          break;
        default:
          if (at < s.size()) s[at] = byte();
          break;
      }
    }
    return s;
  }

  std::string noise() {
    std::string s(below(40), ' ');
    for (char &c : s) c = byte();
    return s;
  }

 private:
  size_t below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng_); }
  bool chance(int one_in) { return below(one_in) == 0; }
  std::string pick(std::initializer_list<const char *> choices) {
    return *(choices.begin() + below(choices.size()));
  }
  std::string space() { return pick({" ", " ", " ", "  ", "\t", "\n", "\v\f\r ", ""}); }
  std::string sign() { return pick({"", "", "", "-", "+"}); }
  std::string digits(const char *alphabet, size_t base) {
    std::string s;
    size_t length = chance(5) ? 1 + below(24) : 1 + below(3);
    for (size_t i = 0; i < length; ++i) s += alphabet[below(base)];
    return s;
  }
  std::string decimal() {
    return sign() + (chance(10) ? pick({"2147483647", "2147483648", "-2147483648", "-2147483649",
                                        "4294967297", "9223372036854775808"})
                                : digits("0123456789", 10));
  }
  std::string hex() {
    return sign() + pick({"", "0x", "0X", "0x"}) + digits("0123456789abcdefABCDEF", 22);
  }
  char byte() {
    static const char interesting[] = "0123456789abcdefxX+-%. \t\n\v\f\r";
    if (chance(4)) return static_cast<char>(1 + below(255));
    return interesting[below(sizeof interesting - 1)];
  }

  std::mt19937 rng_;
};

TEST(ScanProperty, AgreesWithSscanfWhereNumbersFitAndSaturatesElsewhere) {
  line_maker maker(20261208);
  int seen_fields[11] = {};
  int all_fit = 0, some_do_not_fit = 0;
  for (int i = 0; i < 30000; ++i) {
    std::string line = i % 3 == 0 ? maker.shaped() : i % 3 == 1 ? maker.mutated() : maker.noise();
    oracle_verdict v = check_against_sscanf(line.c_str());
    ASSERT_EQ(v.mismatch, "") << "line: \"" << line << "\"";
    ++seen_fields[v.fields];
    ++(v.all_fit ? all_fit : some_do_not_fit);
  }
  // The generator must reach every way a line can stop, and both sides of
  // the oracle, or agreement would prove little.
  for (int fields = 0; fields <= 10; ++fields) {
    EXPECT_GT(seen_fields[fields], 20) << "lines stopping after " << fields << " fields";
  }
  EXPECT_GT(all_fit, 5000);
  EXPECT_GT(some_do_not_fit, 1000);
}

}  // namespace
