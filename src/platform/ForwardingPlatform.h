#pragma once
// Registry, file-system, system and shell wrappers that forward every call to other ones: the base
// of wrappers that watch or change a few calls (the benchmarks count the calls; tests stage what
// another program does between two calls). Each forwarded call is first announced to a hook
// (registry calls also once they returned, so that they can be timed).

#include <cstdint>
#include <string>

#include "platform/Platform.h"

namespace lw {

class ForwardingRegistry : public IRegistry {
 public:
  explicit ForwardingRegistry(IRegistry& inner) : inner_(inner) {}

  long OpenKeyEx(HKey parent, const std::string& subKey, std::uint32_t access,
                 HKey* result) override {
    return Forward("RegOpenKeyEx",
                   [&] { return inner_.OpenKeyEx(parent, subKey, access, result); });
  }
  long CreateKeyEx(HKey parent, const std::string& subKey, std::uint32_t access, HKey* result,
                   std::uint32_t* disposition) override {
    return Forward("RegCreateKeyEx",
                   [&] { return inner_.CreateKeyEx(parent, subKey, access, result, disposition); });
  }
  long CloseKey(HKey key) override {
    return Forward("RegCloseKey", [&] { return inner_.CloseKey(key); });
  }
  long FlushKey(HKey key) override {
    return Forward("RegFlushKey", [&] { return inner_.FlushKey(key); });
  }
  long QueryValueEx(HKey key, const std::string& name, std::uint32_t* type, void* data,
                    std::uint32_t* size) override {
    return Forward("RegQueryValueEx",
                   [&] { return inner_.QueryValueEx(key, name, type, data, size); });
  }
  long SetValueEx(HKey key, const std::string& name, std::uint32_t type, const void* data,
                  std::uint32_t size) override {
    return Forward("RegSetValueEx", [&] { return inner_.SetValueEx(key, name, type, data, size); });
  }
  long DeleteValue(HKey key, const std::string& name) override {
    return Forward("RegDeleteValue", [&] { return inner_.DeleteValue(key, name); });
  }
  long DeleteKey(HKey parent, const std::string& subKey) override {
    return Forward("RegDeleteKey", [&] { return inner_.DeleteKey(parent, subKey); });
  }
  long DeleteKeyEx(HKey parent, const std::string& subKey, std::uint32_t view) override {
    return Forward("RegDeleteKeyEx", [&] { return inner_.DeleteKeyEx(parent, subKey, view); });
  }
  long EnumKeyEx(HKey key, std::uint32_t index, std::string* name) override {
    return Forward("RegEnumKeyEx", [&] { return inner_.EnumKeyEx(key, index, name); });
  }
  long EnumValue(HKey key, std::uint32_t index, std::string* name) override {
    return Forward("RegEnumValue", [&] { return inner_.EnumValue(key, index, name); });
  }
  long QueryInfoKey(HKey key, RegKeyInfo* info) override {
    return Forward("RegQueryInfoKey", [&] { return inner_.QueryInfoKey(key, info); });
  }
  long LoadKey(HKey root, const std::string& subKey, const std::string& file) override {
    return Forward("RegLoadKey", [&] { return inner_.LoadKey(root, subKey, file); });
  }
  long UnLoadKey(HKey root, const std::string& subKey) override {
    return Forward("RegUnLoadKey", [&] { return inner_.UnLoadKey(root, subKey); });
  }
  long SaveKey(HKey key, const std::string& file) override {
    return Forward("RegSaveKey", [&] { return inner_.SaveKey(key, file); });
  }
  long ConnectRegistry(const std::string& machine, HKey root, HKey* result) override {
    return Forward("RegConnectRegistry",
                   [&] { return inner_.ConnectRegistry(machine, root, result); });
  }

 protected:
  // Called before each call is forwarded, with the Windows function's name, and after it
  // returned.
  virtual void Note(const char* /*call*/) {}
  virtual void Noted(const char* /*call*/) {}
  IRegistry& inner_;

 private:
  template <typename Call>
  long Forward(const char* name, Call call) {
    Note(name);
    const long result = call();
    Noted(name);
    return result;
  }
};

class ForwardingFiles : public IFileSystem {
 public:
  explicit ForwardingFiles(IFileSystem& inner) : inner_(inner) {}

  std::uint32_t GetFileAttributes(const std::string& path) override {
    NoteRead(path);
    return inner_.GetFileAttributes(path);
  }
  bool SetFileAttributes(const std::string& path, std::uint32_t attributes) override {
    NoteChange(path);
    return inner_.SetFileAttributes(path, attributes);
  }
  bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) override {
    NoteRead(from);
    NoteChange(to);
    return inner_.CopyFile(from, to, failIfExists);
  }
  bool DeleteFile(const std::string& path) override {
    NoteChange(path);
    return inner_.DeleteFile(path);
  }
  bool MoveFileReplacing(const std::string& from, const std::string& to) override {
    NoteChange(from);
    NoteChange(to);
    return inner_.MoveFileReplacing(from, to);
  }
  bool CreateDirectory(const std::string& path) override {
    NoteChange(path);
    return inner_.CreateDirectory(path);
  }
  bool RemoveDirectory(const std::string& path) override {
    NoteChange(path);
    return inner_.RemoveDirectory(path);
  }
  Handle FindFirstFile(const std::string& pattern, FindData* data) override {
    NoteRead(pattern);
    return inner_.FindFirstFile(pattern, data);
  }
  bool FindNextFile(Handle find, FindData* data) override {
    NoteRead(std::string());
    return inner_.FindNextFile(find, data);
  }
  bool FindClose(Handle find) override {
    NoteRead(std::string());
    return inner_.FindClose(find);
  }
  bool AppendFile(const std::string& path, const std::string& bytes) override {
    NoteChange(path);
    return inner_.AppendFile(path, bytes);
  }
  bool WriteFile(const std::string& path, const std::string& bytes) override {
    NoteChange(path);
    return inner_.WriteFile(path, bytes);
  }
  bool ReadFile(const std::string& path, std::string* bytes) override {
    NoteRead(path);
    return inner_.ReadFile(path, bytes);
  }
  bool GetShortPathName(const std::string& path, std::string* shortPath) override {
    NoteRead(path);
    return inner_.GetShortPathName(path, shortPath);
  }
  bool GetFileId(const std::string& path, FileId* id) override {
    NoteRead(path);
    return inner_.GetFileId(path, id);
  }
  std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                      const std::string& defaultValue,
                                      const std::string& file) override {
    NoteRead(file);
    return inner_.GetPrivateProfileString(section, key, defaultValue, file);
  }
  bool WritePrivateProfileString(const std::string& section, const std::string& key,
                                 const std::string& value, const std::string& file) override {
    NoteChange(file);
    return inner_.WritePrivateProfileString(section, key, value, file);
  }
  std::uint32_t GetFileSecurity(const std::string& path, FileSecurity* security) override {
    NoteRead(path);
    return inner_.GetFileSecurity(path, security);
  }

 protected:
  // Called before each call is forwarded: one that only looks (the path it looks at, empty for
  // the steps of a search), or one that changes the file at path.
  virtual void NoteRead(const std::string& /*path*/) {}
  virtual void NoteChange(const std::string& /*path*/) {}
  IFileSystem& inner_;
};

class ForwardingSystem : public ISystem {
 public:
  explicit ForwardingSystem(ISystem& inner) : inner_(inner) {}

  bool GetVersionEx(OsVersionInfo* info) override { return inner_.GetVersionEx(info); }
  std::uint32_t WNetGetUser(std::string* user) override { return inner_.WNetGetUser(user); }
  std::uint32_t GetTickCount() override { return inner_.GetTickCount(); }
  void Sleep(std::uint32_t milliseconds) override { inner_.Sleep(milliseconds); }
  std::string ExpandEnvironmentStrings(const std::string& text) override {
    return inner_.ExpandEnvironmentStrings(text);
  }
  std::string GetWindowsDirectory() override { return inner_.GetWindowsDirectory(); }
  std::string GetSystemDirectory() override { return inner_.GetSystemDirectory(); }
  std::string GetModuleFileName() override { return inner_.GetModuleFileName(); }
  SystemTime GetLocalTime() override { return inner_.GetLocalTime(); }
  std::string FormatShortDate(const SystemTime& time) override {
    return inner_.FormatShortDate(time);
  }
  std::string FormatLongTime(const SystemTime& time) override {
    return inner_.FormatLongTime(time);
  }
  std::string FormatMessage(std::uint32_t code) override { return inner_.FormatMessage(code); }
  std::u16string MultiByteToWideChar(const std::string& text) override {
    return inner_.MultiByteToWideChar(text);
  }
  bool WideCharToMultiByte(std::uint32_t codePage, const std::u16string& wide,
                           std::string* text) override {
    return inner_.WideCharToMultiByte(codePage, wide, text);
  }
  bool GetFileVersionInfo(const std::string& path, FixedFileVersion* version) override {
    return inner_.GetFileVersionInfo(path, version);
  }
  Handle CreateMutex(bool initialOwner, const std::string& name) override {
    return inner_.CreateMutex(initialOwner, name);
  }
  bool CloseHandle(Handle handle) override { return inner_.CloseHandle(handle); }
  bool CreateProcess(const std::string& commandLine, std::uint32_t creationFlags,
                     ProcessInformation* info) override {
    return inner_.CreateProcess(commandLine, creationFlags, info);
  }
  std::uint32_t WaitForSingleObject(Handle handle, std::uint32_t milliseconds) override {
    return inner_.WaitForSingleObject(handle, milliseconds);
  }
  bool GetExitCodeProcess(Handle process, std::uint32_t* exitCode) override {
    return inner_.GetExitCodeProcess(process, exitCode);
  }
  bool SetPriorityClass(Handle process, std::uint32_t priorityClass) override {
    return inner_.SetPriorityClass(process, priorityClass);
  }
  std::uint32_t ResumeThread(Handle thread) override { return inner_.ResumeThread(thread); }
  Handle CreateJobObject(std::uint32_t limitFlags) override {
    return inner_.CreateJobObject(limitFlags);
  }
  bool AssignProcessToJobObject(Handle job, Handle process) override {
    return inner_.AssignProcessToJobObject(job, process);
  }
  bool QueryJobProcessIds(Handle job, std::vector<std::uint32_t>* ids) override {
    return inner_.QueryJobProcessIds(job, ids);
  }
  Handle OpenProcess(std::uint32_t access, std::uint32_t processId) override {
    return inner_.OpenProcess(access, processId);
  }
  std::uint32_t GetPriorityClass(Handle process) override {
    return inner_.GetPriorityClass(process);
  }
  bool SetProcessIoPriority(Handle process, std::uint32_t priority) override {
    return inner_.SetProcessIoPriority(process, priority);
  }
  bool SetProcessMemoryPriority(Handle process, std::uint32_t priority) override {
    return inner_.SetProcessMemoryPriority(process, priority);
  }
  bool GetSystemTimes(std::uint64_t* idle, std::uint64_t* kernel, std::uint64_t* user) override {
    return inner_.GetSystemTimes(idle, kernel, user);
  }
  std::uint32_t GetLastError() override { return inner_.GetLastError(); }
  void SetLastError(std::uint32_t code) override { inner_.SetLastError(code); }
  std::uint16_t GetNativeProcessorArchitecture() override {
    return inner_.GetNativeProcessorArchitecture();
  }
  bool IsWow64Process(bool* wow64) override { return inner_.IsWow64Process(wow64); }
  bool Wow64DisableWow64FsRedirection(Handle* oldValue) override {
    return inner_.Wow64DisableWow64FsRedirection(oldValue);
  }
  bool Wow64RevertWow64FsRedirection(Handle oldValue) override {
    return inner_.Wow64RevertWow64FsRedirection(oldValue);
  }
  void ProcessMessages() override { inner_.ProcessMessages(); }
  Handle CreateMutexWithSddl(bool initialOwner, const std::string& name,
                             const std::string& sddl) override {
    return inner_.CreateMutexWithSddl(initialOwner, name, sddl);
  }
  bool ReleaseMutex(Handle mutex) override { return inner_.ReleaseMutex(mutex); }

 protected:
  ISystem& inner_;
};

class ForwardingShell : public IShell {
 public:
  explicit ForwardingShell(IShell& inner) : inner_(inner) {}

  bool GetSpecialFolderPath(int csidl, std::string* path) override {
    return inner_.GetSpecialFolderPath(csidl, path);
  }
  long LoadShellLink(const std::string& linkPath, std::uint32_t pathFlags, std::string* target,
                     std::string* foundName) override {
    NoteRead(linkPath);
    return inner_.LoadShellLink(linkPath, pathFlags, target, foundName);
  }
  long SaveShellLink(const std::string& linkPath, const std::string& target,
                     const std::string& arguments) override {
    NoteChange(linkPath);
    return inner_.SaveShellLink(linkPath, target, arguments);
  }
  std::intptr_t ShellExecute(const std::string& verb, const std::string& file,
                             const std::string& parameters, const std::string& directory,
                             int showCommand) override {
    NoteRead(file);
    return inner_.ShellExecute(verb, file, parameters, directory, showCommand);
  }
  bool ShellExecuteEx(const std::string& verb, const std::string& file,
                      const std::string& parameters, int showCommand, Handle* process) override {
    NoteRead(file);
    return inner_.ShellExecuteEx(verb, file, parameters, showCommand, process);
  }
  long ShellExecuteThroughDesktop(const std::string& verb, const std::string& file,
                                  const std::string& parameters, const std::string& directory,
                                  int showCommand) override {
    NoteRead(file);
    return inner_.ShellExecuteThroughDesktop(verb, file, parameters, directory, showCommand);
  }

 protected:
  // A shortcut is a file: reading or writing one is a file call; opening one reads it.
  virtual void NoteRead(const std::string& /*path*/) {}
  virtual void NoteChange(const std::string& /*path*/) {}
  IShell& inner_;
};

}  // namespace lw
