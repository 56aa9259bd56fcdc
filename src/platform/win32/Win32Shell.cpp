#include "platform/win32/Win32Shell.h"

#include <vector>

#include "platform/win32/Win32Api.h"

namespace lw {

static_assert(kSwShowNormal == SW_SHOWNORMAL);
// The highest of the SE_ERR_ codes; ShellExecute's results above it are successes.
static_assert(kShellExecuteSuccessAbove == SE_ERR_DLLNOTFOUND);

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
  T* operator->() const { return ptr_; }

 private:
  T* ptr_ = nullptr;
};

// The shell-link object with the two interfaces the program uses. Both are released (the
// file interface first) before the COM scope that encloses them ends.
struct LinkObject {
  ComPtr<IShellLinkA> link;
  ComPtr<IPersistFile> file;

  HRESULT Create() {
    HRESULT result = ::CoCreateInstance(__uuidof(::ShellLink), nullptr, CLSCTX_INPROC_SERVER,
                                        __uuidof(IShellLinkA), link.Receive());
    if (FAILED(result)) return result;
    return link->QueryInterface(__uuidof(IPersistFile), file.Receive());
  }
};

// The path as the wide string IPersistFile takes, converted from the system code page.
HRESULT WidePath(const std::string& path, std::vector<wchar_t>* wide) {
  const int length = ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
  if (length <= 0) return HRESULT_FROM_WIN32(::GetLastError());
  wide->assign(static_cast<std::size_t>(length), L'\0');
  if (::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide->data(), length) <= 0) {
    return HRESULT_FROM_WIN32(::GetLastError());
  }
  return S_OK;
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

  long LoadShellLink(const std::string& linkPath, std::uint32_t pathFlags, std::string* target,
                     std::string* foundName) override {
    return WithLink(linkPath, [&](LinkObject& shortcut, const wchar_t* path) {
      HRESULT result = shortcut.file->Load(path, STGM_READ);
      if (result != S_OK) return result;
      // A link without a file-system target (a shell item) answers S_FALSE and leaves the
      // buffer empty: the target is then the empty string.
      char buffer[MAX_PATH] = {};
      WIN32_FIND_DATAA found = {};
      shortcut.link->GetPath(buffer, MAX_PATH, &found, pathFlags);
      buffer[MAX_PATH - 1] = '\0';
      found.cFileName[MAX_PATH - 1] = '\0';
      if (target != nullptr) *target = buffer;
      if (foundName != nullptr) *foundName = found.cFileName;
      return S_OK;
    });
  }

  long SaveShellLink(const std::string& linkPath, const std::string& target,
                     const std::string& arguments) override {
    return WithLink(linkPath, [&](LinkObject& shortcut, const wchar_t* path) {
      HRESULT result = shortcut.link->SetPath(target.c_str());
      if (SUCCEEDED(result)) result = shortcut.link->SetArguments(arguments.c_str());
      if (SUCCEEDED(result)) result = shortcut.file->Save(path, TRUE);
      return result;
    });
  }

  // Opening a shortcut makes the shell load it through COM, so the call runs in a COM scope of
  // its own (single-threaded: in a multi-threaded apartment Wine fails to open shortcuts). The
  // last error of the call survives the scope's end.
  std::intptr_t ShellExecute(const std::string& verb, const std::string& file,
                             const std::string& parameters, const std::string& directory,
                             int showCommand) override {
    const auto orNull = [](const std::string& text) {
      return text.empty() ? nullptr : text.c_str();
    };
    HINSTANCE result = nullptr;
    DWORD error = ERROR_SUCCESS;
    {
      ScopedCom com;
      result = ::ShellExecuteA(::GetDesktopWindow(), orNull(verb), file.c_str(), orNull(parameters),
                               orNull(directory), showCommand);
      error = ::GetLastError();
    }
    ::SetLastError(error);
    return reinterpret_cast<std::intptr_t>(result);
  }

 private:
  // Runs use(shortcut object, the path as a wide string) inside a COM scope of its own, and
  // gives the first failure of the way there instead.
  template <class Use>
  static HRESULT WithLink(const std::string& linkPath, Use use) {
    std::vector<wchar_t> wide;
    HRESULT result = WidePath(linkPath, &wide);
    if (FAILED(result)) return result;
    ScopedCom com;
    if (!com.Usable()) return com.Result();
    LinkObject shortcut;
    if (FAILED(result = shortcut.Create())) return result;
    return use(shortcut, wide.data());
  }
};

}  // namespace

std::unique_ptr<IShell> MakeWin32Shell() { return std::make_unique<Win32Shell>(); }

}  // namespace lw
