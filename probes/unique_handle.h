// A kernel object handle (event, mutex, thread) owned by one holder and closed with it.
#pragma once

#include <windows.h>

#include <memory>

namespace vantrel {

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

}  // namespace vantrel
