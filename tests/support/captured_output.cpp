#include "support/captured_output.h"

#include <io.h>

#include <iostream>

#include "collect/echo.h"

namespace vantrel::testing {

CapturedOutput::CapturedOutput() : echo_(std::tmpfile()), savedCout_(std::cout.rdbuf(cout_.rdbuf())) {
  SetEchoStream(echo_);
}

CapturedOutput::~CapturedOutput() {
  std::cout.rdbuf(savedCout_);
  SetEchoStream(nullptr);
  if (echo_ != nullptr) std::fclose(echo_);
}

std::string CapturedOutput::Echoed() {
  std::string bytes;
  if (echo_ == nullptr) return bytes;
  std::fflush(echo_);
  std::rewind(echo_);
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, echo_)) > 0;) bytes.append(buffer, n);
  return bytes;
}

void CapturedOutput::Clear() {
  cout_.str(std::string());
  if (echo_ == nullptr) return;
  std::fflush(echo_);
  _chsize(_fileno(echo_), 0);
  std::rewind(echo_);
}

}  // namespace vantrel::testing
