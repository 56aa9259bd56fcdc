#include "platform/win32/Win32Shell.h"

#include "platform/win32/Win32Api.h"

namespace lw {

namespace {

// The item id list the shell hands out is freed with the task allocator.
class ScopedIdList {
 public:
  ScopedIdList() = default;
  ~ScopedIdList() { ::CoTaskMemFree(list_); }
  ScopedIdList(const ScopedIdList&) = delete;
  ScopedIdList& operator=(const ScopedIdList&) = delete;

  LPITEMIDLIST* Receive() { return &list_; }
  LPCITEMIDLIST Get() const { return list_; }

 private:
  LPITEMIDLIST list_ = nullptr;
};

// The shell's results are HRESULTs; the seam's bool calls leave a Windows error code instead.
DWORD ErrorFrom(HRESULT result) {
  return HRESULT_FACILITY(result) == FACILITY_WIN32 ? HRESULT_CODE(result) : ERROR_FILE_NOT_FOUND;
}

class Win32Shell : public IShell {
 public:
  bool GetSpecialFolderPath(int csidl, std::string* path) override {
    ScopedIdList list;
    HRESULT result = ::SHGetSpecialFolderLocation(nullptr, csidl, list.Receive());
    if (FAILED(result) || list.Get() == nullptr) {
      ::SetLastError(FAILED(result) ? ErrorFrom(result) : ERROR_FILE_NOT_FOUND);
      return false;
    }
    // SHGetPathFromIDList writes at most MAX_PATH characters with the zero.
    char buffer[MAX_PATH + 1] = {};
    if (!::SHGetPathFromIDListA(list.Get(), buffer)) {
      ::SetLastError(ERROR_FILE_NOT_FOUND);
      return false;
    }
    *path = buffer;
    return true;
  }
};

}  // namespace

std::unique_ptr<IShell> MakeWin32Shell() { return std::make_unique<Win32Shell>(); }

}  // namespace lw
