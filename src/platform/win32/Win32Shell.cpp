#include "platform/win32/Win32Shell.h"

#include <string>

#include "platform/win32/Win32Api.h"

#include "platform/win32/Win32Com.h"
#include "platform/win32/Win32DesktopStart.h"
#include "platform/win32/Win32Handle.h"
#include "platform/win32/Win32Text.h"

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

class Win32Shell : public IShell {
 public:
  bool GetSpecialFolderPath(int csidl, std::string* path) override {
    ScopedIdList list;
    HRESULT result = ::SHGetSpecialFolderLocation(nullptr, csidl, list.Receive());
    if (FAILED(result) || list.Get() == nullptr) {
      ::SetLastError(FAILED(result) ? ErrorFrom(result) : ERROR_FILE_NOT_FOUND);
      return false;
    }
    // SHGetPathFromIDList writes at most MAX_PATH characters with the zero: the wide call, since
    // the ANSI one fails for a path whose UTF-8 form is longer than MAX_PATH bytes.
    wchar_t buffer[MAX_PATH + 1] = {};
    if (!::SHGetPathFromIDListW(list.Get(), buffer)) {
      ::SetLastError(ERROR_FILE_NOT_FOUND);
      return false;
    }
    return SUCCEEDED(TextFromWide(buffer, wcslen(buffer), path));
  }

  long LoadShellLink(const std::string& linkPath, std::uint32_t pathFlags, std::string* target,
                     std::string* foundName) override {
    return WithLink(linkPath, [&](LinkObject& shortcut, const wchar_t* path) {
      HRESULT result = shortcut.file->Load(path, STGM_READ);
      if (result != S_OK) return result;
      // A link without a file-system target (a shell item) answers S_FALSE and leaves the
      // buffer empty: the target is then the empty string.
      // A target of MAX_PATH characters takes up to three times as many bytes in UTF-8.
      char buffer[3 * MAX_PATH] = {};
      WIN32_FIND_DATAA found = {};
      shortcut.link->GetPath(buffer, sizeof buffer, &found, pathFlags);
      buffer[sizeof buffer - 1] = '\0';
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

  // In a COM scope of its own for the same reason as ShellExecute. Without an owner window
  // and with SEE_MASK_FLAG_NO_UI the shell shows no error box of its own: the caller reports
  // the failure. SEE_MASK_NOASYNC: the call returns only once the start is done.
  bool ShellExecuteEx(const std::string& verb, const std::string& file,
                      const std::string& parameters, int showCommand, Handle* process) override {
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.hwnd = nullptr;
    info.lpVerb = verb.empty() ? nullptr : verb.c_str();
    info.lpFile = file.c_str();
    info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    info.nShow = showCommand;
    BOOL started = FALSE;
    DWORD error = ERROR_SUCCESS;
    {
      ScopedCom com;
      started = ::ShellExecuteExA(&info);
      error = ::GetLastError();
    }
    // A failed call leaves *process as it was, as every call of the seam does.
    if (started && process != nullptr) {
      *process = FromHandle(info.hProcess);
    } else if (started) {
      // Nobody to hand the handle to: it would stay open for the life of the program.
      ScopedHandle unused(info.hProcess);
    }
    ::SetLastError(error);
    return started != FALSE;
  }

  long ShellExecuteThroughDesktop(const std::string& verb, const std::string& file,
                                  const std::string& parameters, const std::string& directory,
                                  int showCommand) override {
    return lw::ShellExecuteThroughDesktop(verb, file, parameters, directory, showCommand);
  }

 private:
  // Runs use(shortcut object, the path as a wide string) inside a COM scope of its own, and
  // gives the first failure of the way there instead.
  template <class Use>
  static HRESULT WithLink(const std::string& linkPath, Use use) {
    // The path as the wide string IPersistFile takes.
    std::wstring wide;
    HRESULT result = WideFromText(linkPath, &wide);
    if (FAILED(result)) return result;
    ScopedCom com;
    if (!com.Usable()) return com.Result();
    LinkObject shortcut;
    if (FAILED(result = shortcut.Create())) return result;
    return use(shortcut, wide.c_str());
  }
};

}  // namespace

std::unique_ptr<IShell> MakeWin32Shell() { return std::make_unique<Win32Shell>(); }

}  // namespace lw
