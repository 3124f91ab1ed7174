// Owning holders for COM interface pointers, BSTRs and VARIANTs, so that every early
// return releases what a probe obtained.
//
// Out parameters follow COM's rule, in every call the program makes: a call that succeeds hands
// over what it put in the out parameter (a reference to release, or null); a call that fails
// hands over nothing, whatever it left there, so that is forgotten, never released or cleared.
// Put() empties the holder before the call; Receive(result) applies the rule after it. A holder
// can thus be filled again and again without leaking what it held.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <new>
#include <utility>

namespace vantrel {

// Holds one reference to a COM interface and releases it when it goes.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : pointer_(other.Detach()) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      pointer_ = other.Detach();
    }
    return *this;
  }
  ~ComPtr() { Reset(); }

  // A holder of a reference of its own to what `pointer` points to (null gives an empty holder).
  static ComPtr Share(T* pointer) {
    ComPtr shared;
    if (pointer != nullptr) pointer->AddRef();
    shared.pointer_ = pointer;
    return shared;
  }

  T* Get() const { return pointer_; }
  T* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

  // For an out parameter: gives up the held reference first.
  T** Put() {
    Reset();
    return &pointer_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }

  T* Detach() { return std::exchange(pointer_, nullptr); }

  // After the call that filled Put(): keeps what a successful call handed over and forgets what
  // a failed one left. True when a reference is held.
  bool Receive(HRESULT result) {
    if (FAILED(result)) pointer_ = nullptr;
    return pointer_ != nullptr;
  }

  void Reset() {
    if (T* old = std::exchange(pointer_, nullptr)) old->Release();
  }

 private:
  T* pointer_ = nullptr;
};

// A BSTR made from a wide string; running out of memory is an exception, as for any text.
class Bstr {
 public:
  explicit Bstr(const wchar_t* text) : value_(SysAllocString(text)) {
    if (value_ == nullptr) throw std::bad_alloc();
  }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { SysFreeString(value_); }

  BSTR Get() const { return value_; }

 private:
  BSTR value_;
};

// A VARIANT initialised on construction and cleared on destruction.
class Variant {
 public:
  Variant() { VariantInit(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { VariantClear(&value_); }

  // For an out parameter: gives up the held value first, as ComPtr::Put does.
  VARIANT* Put() {
    VariantClear(&value_);
    return &value_;
  }
  // The value in place, for a call that reads it through a non-const pointer.
  VARIANT* Get() { return &value_; }
  // After the call that filled Put(): false, with the value forgotten, when the call failed.
  bool Receive(HRESULT result) {
    if (FAILED(result)) VariantInit(&value_);
    return SUCCEEDED(result);
  }
  const VARIANT& Ref() const { return value_; }

 private:
  VARIANT value_;
};

}  // namespace vantrel
