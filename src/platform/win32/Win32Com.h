#pragma once
// Owning wrappers for what a COM call hands out (the apartment of one call, interface
// pointers, BSTRs, VARIANTs): each gives back what it owns when it goes out of scope, on every
// path, so that a call that fails half-way leaks nothing.

#include "platform/win32/Win32Api.h"

#include <oleauto.h>

#include <string>

namespace lw {

// COM on the calling thread for the length of one call. Every successful CoInitialize, S_FALSE
// ("already initialised") included, is balanced by one CoUninitialize. A thread that already
// runs in the other apartment model refuses (RPC_E_CHANGED_MODE) but has COM all the same.
class ScopedCom {
 public:
  ScopedCom() : result_(::CoInitialize(nullptr)) {}
  ~ScopedCom() {
    if (SUCCEEDED(result_)) ::CoUninitialize();
  }
  ScopedCom(const ScopedCom&) = delete;
  ScopedCom& operator=(const ScopedCom&) = delete;

  bool Usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }
  HRESULT Result() const { return result_; }

 private:
  HRESULT result_;
};

// One COM interface pointer, released when it goes out of scope.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (ptr_ != nullptr) ptr_->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  void** Receive() { return reinterpret_cast<void**>(&ptr_); }
  T** ReceiveTyped() { return &ptr_; }
  T* operator->() const { return ptr_; }
  T* Get() const { return ptr_; }

 private:
  T* ptr_ = nullptr;
};

// A BSTR, freed when it goes out of scope. Get() of an empty one is null, which COM takes as
// the empty string.
class ScopedBstr {
 public:
  ScopedBstr() = default;
  ~ScopedBstr() { ::SysFreeString(text_); }
  ScopedBstr(const ScopedBstr&) = delete;
  ScopedBstr& operator=(const ScopedBstr&) = delete;

  // The program's text (system code page) as a BSTR: E_OUTOFMEMORY, or the conversion's
  // error, when it cannot be made.
  HRESULT Assign(const std::string& text);
  // The BSTR as the program's text; characters the code page lacks become '?'.
  HRESULT ToText(std::string* text) const;

  // For a call that hands out a BSTR; only while this one holds none.
  BSTR* Receive() { return &text_; }
  BSTR Get() const { return text_; }
  // Hands the BSTR over to a new owner (a VARIANT).
  BSTR Release() {
    BSTR text = text_;
    text_ = nullptr;
    return text;
  }

 private:
  BSTR text_ = nullptr;
};

// A VARIANT, cleared when it goes out of scope; VT_EMPTY ("none") until given a value.
class ScopedVariant {
 public:
  ScopedVariant() { ::VariantInit(&value_); }
  ~ScopedVariant() { ::VariantClear(&value_); }
  ScopedVariant(const ScopedVariant&) = delete;
  ScopedVariant& operator=(const ScopedVariant&) = delete;

  // Takes the text as a VT_BSTR; the empty text leaves the VARIANT empty.
  HRESULT AssignText(const std::string& text);

  const VARIANT& Get() const { return value_; }

 private:
  VARIANT value_;
};

}  // namespace lw
