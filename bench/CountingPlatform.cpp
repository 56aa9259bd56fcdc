#include "CountingPlatform.h"

namespace lw::bench {

namespace {

class CountingRegistry : public IRegistry {
 public:
  CountingRegistry(IRegistry& inner, CallCounts& counts) : inner_(inner), counts_(counts) {}
  long OpenKeyEx(HKey parent, const std::string& subKey, std::uint32_t access,
                 HKey* result) override {
    ++counts_.registryCalls;
    return inner_.OpenKeyEx(parent, subKey, access, result);
  }
  long CreateKeyEx(HKey parent, const std::string& subKey, std::uint32_t access, HKey* result,
                   std::uint32_t* disposition) override {
    ++counts_.registryCalls;
    return inner_.CreateKeyEx(parent, subKey, access, result, disposition);
  }
  long CloseKey(HKey key) override {
    ++counts_.registryCalls;
    return inner_.CloseKey(key);
  }
  long FlushKey(HKey key) override {
    ++counts_.registryCalls;
    return inner_.FlushKey(key);
  }
  long QueryValueEx(HKey key, const std::string& name, std::uint32_t* type, void* data,
                    std::uint32_t* size) override {
    ++counts_.registryCalls;
    return inner_.QueryValueEx(key, name, type, data, size);
  }
  long SetValueEx(HKey key, const std::string& name, std::uint32_t type, const void* data,
                  std::uint32_t size) override {
    ++counts_.registryCalls;
    return inner_.SetValueEx(key, name, type, data, size);
  }
  long DeleteValue(HKey key, const std::string& name) override {
    ++counts_.registryCalls;
    return inner_.DeleteValue(key, name);
  }
  long DeleteKey(HKey parent, const std::string& subKey) override {
    ++counts_.registryCalls;
    return inner_.DeleteKey(parent, subKey);
  }
  long EnumKeyEx(HKey key, std::uint32_t index, std::string* name) override {
    ++counts_.registryCalls;
    return inner_.EnumKeyEx(key, index, name);
  }
  long EnumValue(HKey key, std::uint32_t index, std::string* name) override {
    ++counts_.registryCalls;
    return inner_.EnumValue(key, index, name);
  }
  long QueryInfoKey(HKey key, RegKeyInfo* info) override {
    ++counts_.registryCalls;
    return inner_.QueryInfoKey(key, info);
  }
  long LoadKey(HKey root, const std::string& subKey, const std::string& file) override {
    ++counts_.registryCalls;
    return inner_.LoadKey(root, subKey, file);
  }
  long UnLoadKey(HKey root, const std::string& subKey) override {
    ++counts_.registryCalls;
    return inner_.UnLoadKey(root, subKey);
  }
  long SaveKey(HKey key, const std::string& file) override {
    ++counts_.registryCalls;
    return inner_.SaveKey(key, file);
  }
  long ConnectRegistry(const std::string& machine, HKey root, HKey* result) override {
    ++counts_.registryCalls;
    return inner_.ConnectRegistry(machine, root, result);
  }

 private:
  IRegistry& inner_;
  CallCounts& counts_;
};

class CountingFiles : public IFileSystem {
 public:
  CountingFiles(IFileSystem& inner, CallCounts& counts) : inner_(inner), counts_(counts) {}
  std::uint32_t GetFileAttributes(const std::string& path) override {
    ++counts_.fileCalls;
    return inner_.GetFileAttributes(path);
  }
  bool SetFileAttributes(const std::string& path, std::uint32_t attributes) override {
    Changed(path);
    return inner_.SetFileAttributes(path, attributes);
  }
  bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) override {
    Changed(to);
    return inner_.CopyFile(from, to, failIfExists);
  }
  bool DeleteFile(const std::string& path) override {
    Changed(path);
    return inner_.DeleteFile(path);
  }
  bool CreateDirectory(const std::string& path) override {
    Changed(path);
    return inner_.CreateDirectory(path);
  }
  bool RemoveDirectory(const std::string& path) override {
    Changed(path);
    return inner_.RemoveDirectory(path);
  }
  Handle FindFirstFile(const std::string& pattern, FindData* data) override {
    ++counts_.fileCalls;
    return inner_.FindFirstFile(pattern, data);
  }
  bool FindNextFile(Handle find, FindData* data) override {
    ++counts_.fileCalls;
    return inner_.FindNextFile(find, data);
  }
  bool FindClose(Handle find) override {
    ++counts_.fileCalls;
    return inner_.FindClose(find);
  }
  bool AppendFile(const std::string& path, const std::string& bytes) override {
    Changed(path);
    return inner_.AppendFile(path, bytes);
  }
  bool WriteFile(const std::string& path, const std::string& bytes) override {
    Changed(path);
    return inner_.WriteFile(path, bytes);
  }
  bool ReadFile(const std::string& path, std::string* bytes) override {
    ++counts_.fileCalls;
    return inner_.ReadFile(path, bytes);
  }
  std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                      const std::string& defaultValue,
                                      const std::string& file) override {
    ++counts_.fileCalls;
    return inner_.GetPrivateProfileString(section, key, defaultValue, file);
  }
  bool WritePrivateProfileString(const std::string& section, const std::string& key,
                                 const std::string& value, const std::string& file) override {
    Changed(file);
    return inner_.WritePrivateProfileString(section, key, value, file);
  }

 private:
  void Changed(const std::string& path) {
    ++counts_.fileCalls;
    counts_.filesChanged.insert(path);
  }
  IFileSystem& inner_;
  CallCounts& counts_;
};

// Reading a shortcut reads its file.
class CountingShell : public IShell {
 public:
  CountingShell(IShell& inner, CallCounts& counts) : inner_(inner), counts_(counts) {}
  bool GetSpecialFolderPath(int csidl, std::string* path) override {
    return inner_.GetSpecialFolderPath(csidl, path);
  }
  long LoadShellLink(const std::string& linkPath, std::uint32_t pathFlags, std::string* target,
                     std::string* foundName) override {
    ++counts_.fileCalls;
    return inner_.LoadShellLink(linkPath, pathFlags, target, foundName);
  }
  long SaveShellLink(const std::string& linkPath, const std::string& target,
                     const std::string& arguments) override {
    ++counts_.fileCalls;
    counts_.filesChanged.insert(linkPath);
    return inner_.SaveShellLink(linkPath, target, arguments);
  }

 private:
  IShell& inner_;
  CallCounts& counts_;
};

}  // namespace

CountingPlatform::CountingPlatform(std::unique_ptr<IPlatform> inner)
    : inner_(std::move(inner)),
      registry_(std::make_unique<CountingRegistry>(inner_->Registry(), counts_)),
      files_(std::make_unique<CountingFiles>(inner_->Files(), counts_)),
      shell_(std::make_unique<CountingShell>(inner_->Shell(), counts_)) {}

CountingPlatform::~CountingPlatform() = default;

IRegistry& CountingPlatform::Registry() { return *registry_; }
IFileSystem& CountingPlatform::Files() { return *files_; }
IShell& CountingPlatform::Shell() { return *shell_; }

}  // namespace lw::bench
