// Catches what the collection pass writes while a test runs: the echo lines, in a temporary
// file so their bytes can be read back, and std::cout.
#pragma once

#include <cstdio>
#include <sstream>
#include <string>

namespace vantrel::testing {

class CapturedOutput {
 public:
  CapturedOutput();
  CapturedOutput(const CapturedOutput&) = delete;
  CapturedOutput& operator=(const CapturedOutput&) = delete;
  ~CapturedOutput();

  std::string Echoed();  // the echo stream's bytes so far
  std::string Cout() const { return cout_.str(); }
  void Clear();          // forgets what was written so far

 private:
  std::FILE* echo_;
  std::ostringstream cout_;
  std::streambuf* savedCout_;
};

}  // namespace vantrel::testing
