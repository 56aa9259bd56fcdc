#include "platform/win32/Win32Com.h"

#include "platform/win32/Win32Text.h"

namespace lw {

HRESULT ScopedBstr::Assign(const std::string& text) {
  std::wstring wide;
  const HRESULT result = WideFromText(text, &wide);
  if (FAILED(result)) return result;
  BSTR made = ::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  if (made == nullptr) return E_OUTOFMEMORY;
  ::SysFreeString(text_);
  text_ = made;
  return S_OK;
}

HRESULT ScopedBstr::ToText(std::string* text) const {
  return TextFromWide(text_, ::SysStringLen(text_), text);
}

HRESULT ScopedVariant::AssignText(const std::string& text) {
  ::VariantClear(&value_);
  if (text.empty()) return S_OK;
  ScopedBstr made;
  const HRESULT result = made.Assign(text);
  if (FAILED(result)) return result;
  value_.vt = VT_BSTR;
  value_.bstrVal = made.Release();
  return S_OK;
}

}  // namespace lw
