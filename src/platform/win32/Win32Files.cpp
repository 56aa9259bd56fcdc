#include "platform/win32/Win32Files.h"

#include "platform/win32/Win32Api.h"

#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/Win32Handle.h"
#include "platform/win32/Win32Text.h"

namespace lw {

namespace {

// No file the program reads (options, shortcuts, logs) comes anywhere near this size; a larger
// one is refused rather than read into memory.
constexpr LONGLONG kLargestReadFile = 256LL << 20;
// A profile value longer than this is returned cut, as Windows itself would with a smaller
// buffer; it stops the growing loop below on a broken file.
constexpr DWORD kLargestProfileValue = 1u << 24;

// The wide form: the ANSI one holds MAX_PATH bytes of a name, and a long name in UTF-8 (three
// bytes a Chinese character) would come back cut.
void Fill(const WIN32_FIND_DATAW& found, FindData* data) {
  data->fileName.clear();
  TextFromWide(found.cFileName, wcslen(found.cFileName), &data->fileName);
  data->attributes = found.dwFileAttributes;
  data->size = (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
}

bool WriteAll(HANDLE file, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) return false;
    done += written;
  }
  return true;
}

bool WriteWith(const std::string& path, DWORD creation, bool toEnd, const std::string& bytes) {
  ScopedHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, creation,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) return false;
  if (toEnd && ::SetFilePointer(file.Get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER &&
      ::GetLastError() != NO_ERROR) {
    return false;
  }
  return WriteAll(file.Get(), bytes);
}

static_assert(kAccessAllowedAceType == ACCESS_ALLOWED_ACE_TYPE);
static_assert(kAccessDeniedAceType == ACCESS_DENIED_ACE_TYPE);
static_assert(kAccessAllowedObjectAceType == ACCESS_ALLOWED_OBJECT_ACE_TYPE);
static_assert(kAccessDeniedObjectAceType == ACCESS_DENIED_OBJECT_ACE_TYPE);
static_assert(kAccessDeniedCallbackAceType == ACCESS_DENIED_CALLBACK_ACE_TYPE);
static_assert(kAccessDeniedCallbackObjectAceType == ACCESS_DENIED_CALLBACK_OBJECT_ACE_TYPE);
static_assert(kObjectInheritAce == OBJECT_INHERIT_ACE &&
              kContainerInheritAce == CONTAINER_INHERIT_ACE && kInheritOnlyAce == INHERIT_ONLY_ACE);
static_assert(kFileWriteData == FILE_WRITE_DATA && kFileAppendData == FILE_APPEND_DATA &&
              kFileWriteEa == FILE_WRITE_EA && kFileDeleteChild == FILE_DELETE_CHILD &&
              kFileWriteAttributes == FILE_WRITE_ATTRIBUTES);
static_assert(kDelete == DELETE && kWriteDac == WRITE_DAC && kWriteOwner == WRITE_OWNER &&
              kMaximumAllowed == MAXIMUM_ALLOWED && kGenericAll == GENERIC_ALL &&
              kGenericWrite == GENERIC_WRITE && kFileAllAccess == FILE_ALL_ACCESS &&
              kFileGenericReadExecute == (FILE_GENERIC_READ | FILE_GENERIC_EXECUTE));

// The string form of a SID ("S-1-5-32-544").
bool SidText(PSID sid, std::string* text) {
  char* converted = nullptr;
  if (!::ConvertSidToStringSidA(sid, &converted)) return false;
  *text = converted;
  ::LocalFree(converted);
  return true;
}

class Win32Files : public IFileSystem {
 public:
  std::uint32_t GetFileAttributes(const std::string& path) override {
    return ::GetFileAttributesA(path.c_str());
  }

  bool SetFileAttributes(const std::string& path, std::uint32_t attributes) override {
    return ::SetFileAttributesA(path.c_str(), attributes) != FALSE;
  }

  bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) override {
    return ::CopyFileA(from.c_str(), to.c_str(), failIfExists ? TRUE : FALSE) != FALSE;
  }

  bool DeleteFile(const std::string& path) override { return ::DeleteFileA(path.c_str()) != FALSE; }

  bool MoveFileReplacing(const std::string& from, const std::string& to) override {
    return ::MoveFileExA(from.c_str(), to.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  }

  bool CreateDirectory(const std::string& path) override {
    return ::CreateDirectoryA(path.c_str(), nullptr) != FALSE;
  }

  bool RemoveDirectory(const std::string& path) override {
    return ::RemoveDirectoryA(path.c_str()) != FALSE;
  }

  Handle FindFirstFile(const std::string& pattern, FindData* data) override {
    std::wstring widePattern;
    const HRESULT converted = WideFromText(pattern, &widePattern);
    if (FAILED(converted)) {
      ::SetLastError(HRESULT_CODE(converted));
      return FromHandle(INVALID_HANDLE_VALUE);
    }
    WIN32_FIND_DATAW found{};
    HANDLE find = ::FindFirstFileW(widePattern.c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) Fill(found, data);
    return FromHandle(find);
  }

  bool FindNextFile(Handle find, FindData* data) override {
    WIN32_FIND_DATAW found{};
    if (!::FindNextFileW(ToHandle(find), &found)) return false;
    Fill(found, data);
    return true;
  }

  bool FindClose(Handle find) override { return ::FindClose(ToHandle(find)) != FALSE; }

  bool AppendFile(const std::string& path, const std::string& bytes) override {
    return WriteWith(path, OPEN_ALWAYS, true, bytes);
  }

  bool WriteFile(const std::string& path, const std::string& bytes) override {
    return WriteWith(path, CREATE_ALWAYS, false, bytes);
  }

  bool ReadFile(const std::string& path, std::string* bytes) override {
    ScopedHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return false;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size)) return false;
    if (size.QuadPart > kLargestReadFile) {
      ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return false;
    }
    // Read until the end rather than trusting the size: the file may grow meanwhile.
    std::string content;
    std::vector<char> chunk(static_cast<std::size_t>(size.QuadPart) + 1);
    for (;;) {
      DWORD got = 0;
      if (!::ReadFile(file.Get(), chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr)) {
        return false;
      }
      if (got == 0) break;
      content.append(chunk.data(), got);
      if (static_cast<LONGLONG>(content.size()) > kLargestReadFile) {
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
      }
    }
    *bytes = std::move(content);
    return true;
  }

  // A buffer too small gets the size needed (with the zero) back; a path that fits, its length.
  bool GetShortPathName(const std::string& path, std::string* shortPath) override {
    std::string found = GrowingText(MAX_PATH, [&path](char* buffer, DWORD size) {
      return ::GetShortPathNameA(path.c_str(), buffer, size);
    });
    if (found.empty()) return false;
    *shortPath = found;
    return true;
  }

  bool GetFileId(const std::string& path, FileId* id) override {
    ScopedHandle file(::CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.IsValid()) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file.Get(), &info)) return false;
    id->volumeSerial = info.dwVolumeSerialNumber;
    id->fileIndex = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
  }

  // Windows cuts a value that does not fit and then returns the buffer size less one; the
  // buffer grows until the whole value fits.
  std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                      const std::string& defaultValue,
                                      const std::string& file) override {
    std::vector<char> buffer(256);
    for (;;) {
      DWORD size = static_cast<DWORD>(buffer.size());
      DWORD length = ::GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(),
                                                buffer.data(), size, file.c_str());
      if (length + 1 < size || size >= kLargestProfileValue) {
        return std::string(buffer.data(), length);
      }
      buffer.resize(static_cast<std::size_t>(size) * 2);
    }
  }

  bool WritePrivateProfileString(const std::string& section, const std::string& key,
                                 const std::string& value, const std::string& file) override {
    return ::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(),
                                        file.c_str()) != FALSE;
  }
  std::uint32_t GetFileSecurity(const std::string& path, FileSecurity* security) override {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD result = ::GetNamedSecurityInfoA(
        path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
        &owner, nullptr, &dacl, nullptr, &descriptor);
    if (result != ERROR_SUCCESS) return result;
    struct Free {
      PSECURITY_DESCRIPTOR descriptor;
      ~Free() { ::LocalFree(descriptor); }
    } freeDescriptor{descriptor};
    FileSecurity read;
    if (owner != nullptr && !SidText(owner, &read.ownerSid)) return ::GetLastError();
    read.hasDacl = dacl != nullptr;
    for (DWORD index = 0; dacl != nullptr && index < dacl->AceCount; ++index) {
      void* ace = nullptr;
      if (!::GetAce(dacl, index, &ace)) return ::GetLastError();
      const auto* header = static_cast<const ACE_HEADER*>(ace);
      AccessEntry entry;
      entry.type = header->AceType;
      entry.flags = header->AceFlags;
      // Every allowed and denied ACE of the plain kinds starts with the header, the mask and
      // the SID; the object kinds carry their GUIDs before the SID.
      if (header->AceType == ACCESS_ALLOWED_ACE_TYPE || header->AceType == ACCESS_DENIED_ACE_TYPE) {
        const auto* plain = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
        entry.mask = plain->Mask;
        if (!SidText(const_cast<DWORD*>(&plain->SidStart), &entry.sid)) return ::GetLastError();
      } else {
        // Another kind (object, callback): its mask is there, its trustee is not read; the
        // empty SID stands for a trustee nobody can vouch for.
        entry.mask = static_cast<const ACCESS_ALLOWED_ACE*>(ace)->Mask;
      }
      read.dacl.push_back(entry);
    }
    *security = std::move(read);
    return ERROR_SUCCESS;
  }
};

}  // namespace

std::unique_ptr<IFileSystem> MakeWin32Files() { return std::make_unique<Win32Files>(); }

}  // namespace lw
