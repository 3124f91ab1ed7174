// What the fake COM objects share. A fake is never deleted by its last Release: its owner keeps
// it and reads its count, so a test sees every reference that was not given back.
#pragma once

#include <windows.h>

// A method of the interface that no code under test calls: it is there to complete the vtable.
// Params is the parenthesised parameter list.
#define VANTREL_FAKE_NOT_USED(Method, Params) \
  HRESULT STDMETHODCALLTYPE Method Params override { return E_NOTIMPL; }

namespace vantrel::testing {

class ReferenceCount {
 public:
  ULONG Add() { return static_cast<ULONG>(++count_); }
  // The count never goes below zero: a Release too many is counted, not obeyed.
  ULONG Remove() {
    if (count_ == 0) {
      ++excess_;
      return 0;
    }
    return static_cast<ULONG>(--count_);
  }
  LONG Count() const { return count_; }
  LONG Excess() const { return excess_; }

 private:
  LONG count_ = 0;
  LONG excess_ = 0;
};

// QueryInterface of a fake that implements Exposed, which derives from each of Bases: IUnknown,
// Exposed and Bases give the object with one more reference, any other interface E_NOINTERFACE.
template <class Exposed, class... Bases, class Fake>
HRESULT QueryFakeInterface(Fake* fake, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  const bool known = IsEqualIID(iid, __uuidof(IUnknown)) || IsEqualIID(iid, __uuidof(Exposed)) ||
                     (IsEqualIID(iid, __uuidof(Bases)) || ...);
  if (!known) return E_NOINTERFACE;
  Exposed* const exposed = fake;
  exposed->AddRef();
  *out = exposed;
  return S_OK;
}

}  // namespace vantrel::testing
