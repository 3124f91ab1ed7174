// Owns one GDI object (a brush, a font, a bitmap) and deletes it with the owner or on Delete.
#pragma once

#include <windows.h>

#include <utility>

namespace vantrel {

template <class Handle>
class GdiObject {
 public:
  GdiObject() = default;
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  ~GdiObject() { Delete(); }

  // Takes over a handle, deleting the one held before.
  void Attach(Handle handle) {
    Delete();
    handle_ = handle;
  }
  void Delete() {
    if (Handle old = std::exchange(handle_, nullptr)) DeleteObject(old);
  }
  Handle Get() const { return handle_; }

 private:
  Handle handle_ = nullptr;
};

}  // namespace vantrel
