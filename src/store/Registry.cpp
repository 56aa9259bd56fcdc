#include "store/Registry.h"

#include <algorithm>

#include "platform/Platform.h"
#include "store/UserProfiles.h"
#include "util/CurrentUser.h"
#include "util/Error.h"
#include "util/WindowsBitness.h"

namespace lw {

namespace {

// How often a read is retried when the value keeps changing size under it; a value that is
// still changing after that many reads is reported as unreadable rather than read half.
constexpr int kReadAttempts = 16;

// Runs an action when the scope ends, whichever way it ends.
template <class F>
class AtScopeEnd {
 public:
  explicit AtScopeEnd(F action) : action_(action) {}
  ~AtScopeEnd() { action_(); }
  AtScopeEnd(const AtScopeEnd&) = delete;
  AtScopeEnd& operator=(const AtScopeEnd&) = delete;

 private:
  F action_;
};

Error GetDataError(const std::string& name) {
  return Error("Failed to get data for '" + name + "'");
}
Error SetDataError(const std::string& name) {
  return Error("Failed to set data for '" + name + "'");
}
Error DataTypeError(const std::string& name) {
  return Error("Invalid data type for '" + name + "'");
}

bool IsStringType(std::uint32_t type) { return type == kRegSz || type == kRegExpandSz; }

// Deletes parent\subKey with everything below it. Children go first, deepest first, from
// the last index down, so that deleting one never shifts the index of the next.
bool DeleteTree(HKey parent, const std::string& subKey, std::uint32_t view) {
  HKey key = 0;
  if (Reg().OpenKeyEx(parent, subKey, kKeyAllAccess | view, &key) == kErrorSuccess) {
    RegKeyInfo info;
    if (Reg().QueryInfoKey(key, &info) == kErrorSuccess) {
      for (std::uint32_t index = info.subKeys; index-- > 0;) {
        std::string child;
        if (Reg().EnumKeyEx(key, index, &child) == kErrorSuccess) DeleteTree(key, child, view);
      }
    }
    Reg().CloseKey(key);
  }
  return Reg().DeleteKeyEx(parent, subKey, view) == kErrorSuccess;
}

}  // namespace

// --- RegistryBase ---------------------------------------------------------------------------

RegistryBase::RegistryBase() : view_(ProgramRegistryView()) {}

RegistryBase::~RegistryBase() {
  if (currentKey_ != 0 && HasPlatform()) Reg().CloseKey(currentKey_);
}

void RegistryBase::SetRootKey(HKey root) {
  if (root == rootKey_) return;
  CloseKey();
  rootKey_ = root;
}

HKey RegistryBase::BaseFor(const std::string& path, std::string* subKey) const {
  const bool fromRoot = !path.empty() && path.front() == '\\';
  *subKey = fromRoot ? path.substr(1) : path;
  if (!fromRoot && currentKey_ != 0) return currentKey_;
  // Acting for another account (an elevated copy started by a standard user), that account's
  // hive is the current user's one.
  return ActingAccountRoot(rootKey_, subKey);
}

void RegistryBase::ChangeKey(HKey key, const std::string& path) {
  CloseKey();
  currentKey_ = key;
  currentPath_ = path;
  currentKeyWritable_ = (access_ & (kKeySetValue | kKeyCreateSubKey)) != 0;
}

namespace {
// The path of a key opened from the base: below the current path when the base was the
// current key.
std::string JoinPath(const std::string& current, bool fromCurrent, const std::string& subKey) {
  if (!fromCurrent || current.empty()) return subKey;
  if (subKey.empty()) return current;
  return current + "\\" + subKey;
}
}  // namespace

bool RegistryBase::OpenKey(const std::string& path, bool canCreate) {
  std::string subKey;
  HKey base = BaseFor(path, &subKey);
  bool fromCurrent = base == currentKey_ && currentKey_ != 0;
  HKey key = 0;
  long result = (canCreate && !subKey.empty())
                    ? Reg().CreateKeyEx(base, subKey, access_ | view_, &key, nullptr)
                    : Reg().OpenKeyEx(base, subKey, access_ | view_, &key);
  if (result != kErrorSuccess) return false;
  ChangeKey(key, JoinPath(currentPath_, fromCurrent, subKey));
  return true;
}

bool RegistryBase::OpenKeyReadOnly(const std::string& path) {
  std::string subKey;
  HKey base = BaseFor(path, &subKey);
  bool fromCurrent = base == currentKey_ && currentKey_ != 0;
  for (std::uint32_t access : {kKeyRead, kKeyReadNoNotify, kKeyQueryValue}) {
    HKey key = 0;
    if (Reg().OpenKeyEx(base, subKey, access | view_, &key) == kErrorSuccess) {
      access_ = access;
      ChangeKey(key, JoinPath(currentPath_, fromCurrent, subKey));
      return true;
    }
  }
  return false;
}

void RegistryBase::CloseKey() {
  if (currentKey_ != 0) {
    // A key opened for reading has nothing to flush; a flush writes the whole hive out and
    // costs the machine far more than the read did.
    if (!lazyWrite_ && currentKeyWritable_) Reg().FlushKey(currentKey_);
    Reg().CloseKey(currentKey_);
    currentKey_ = 0;
  }
  currentPath_.clear();
}

bool RegistryBase::KeyExists(const std::string& path) {
  std::string subKey;
  HKey base = BaseFor(path, &subKey);
  HKey key = 0;
  if (Reg().OpenKeyEx(base, subKey, kKeyReadNoNotify | view_, &key) != kErrorSuccess) return false;
  Reg().CloseKey(key);
  return true;
}

void RegistryBase::CreateKey(const std::string& path) {
  std::string subKey;
  HKey base = BaseFor(path, &subKey);
  HKey key = 0;
  if (Reg().CreateKeyEx(base, subKey, kKeyAllAccess | view_, &key, nullptr) != kErrorSuccess) {
    throw Error("Failed to create key " + path);
  }
  Reg().CloseKey(key);
}

bool RegistryBase::DeleteKey(const std::string& path) {
  std::string subKey;
  HKey base = BaseFor(path, &subKey);
  // An empty name would take the whole root (or the open key) with it.
  if (subKey.empty()) return false;
  return DeleteTree(base, subKey, view_);
}

bool RegistryBase::ValueExists(const std::string& name) {
  std::uint32_t size = 0;
  return Reg().QueryValueEx(currentKey_, name, nullptr, nullptr, &size) == kErrorSuccess;
}

bool RegistryBase::DeleteValue(const std::string& name) {
  return Reg().DeleteValue(currentKey_, name) == kErrorSuccess;
}

std::string RegistryBase::ReadString(const std::string& name) { return ReadStringValue(name).text; }

StringValue RegistryBase::ReadStringValue(const std::string& name) {
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  if (Reg().QueryValueEx(currentKey_, name, &type, nullptr, &size) != kErrorSuccess) {
    throw GetDataError(name);
  }
  if (size < 1) return StringValue{};
  if (!IsStringType(type)) throw DataTypeError(name);
  // The value may grow or shrink between asking for its size and reading it (another program
  // writes it): a read that finds the buffer too small starts again with the new size.
  std::string data;
  for (int attempt = 0;; ++attempt) {
    data.assign(size, '\0');
    std::uint32_t got = size;
    long result = Reg().QueryValueEx(currentKey_, name, &type, data.data(), &got);
    if (result == kErrorMoreData && attempt + 1 < kReadAttempts) {
      size = std::max(got, size + size / 2 + 1);
      continue;
    }
    if (result != kErrorSuccess) throw GetDataError(name);
    data.resize(std::min(got, size));
    break;
  }
  if (!IsStringType(type)) throw DataTypeError(name);
  std::size_t end = data.find('\0');
  if (end != std::string::npos) data.resize(end);
  return StringValue{data, type};
}

void RegistryBase::WriteString(const std::string& name, const std::string& text) {
  WriteString(name, StringValue{text, kRegSz});
}

void RegistryBase::WriteString(const std::string& name, const StringValue& value) {
  const std::uint32_t type = IsStringType(value.type) ? value.type : kRegSz;
  // The terminating zero is part of the data.
  if (Reg().SetValueEx(currentKey_, name, type, value.text.c_str(),
                       static_cast<std::uint32_t>(value.text.size() + 1)) != kErrorSuccess) {
    throw SetDataError(name);
  }
}

std::int32_t RegistryBase::ReadInteger(const std::string& name) {
  std::int32_t value = 0;
  if (!ReadIntegerIfPresent(name, value)) throw GetDataError(name);
  return value;
}

bool RegistryBase::ReadIntegerIfPresent(const std::string& name, std::int32_t& result) {
  unsigned char bytes[4] = {0, 0, 0, 0};
  std::uint32_t type = 0;
  std::uint32_t size = sizeof bytes;
  const long status = Reg().QueryValueEx(currentKey_, name, &type, bytes, &size);
  if (status == kErrorFileNotFound) return false;
  if (status != kErrorSuccess) throw GetDataError(name);
  if (type != kRegDword) throw DataTypeError(name);
  std::uint32_t value =
      static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
      static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
  result = static_cast<std::int32_t>(value);
  return true;
}

void RegistryBase::WriteInteger(const std::string& name, std::int32_t value) {
  std::uint32_t bits = static_cast<std::uint32_t>(value);
  unsigned char bytes[4] = {static_cast<unsigned char>(bits), static_cast<unsigned char>(bits >> 8),
                            static_cast<unsigned char>(bits >> 16),
                            static_cast<unsigned char>(bits >> 24)};
  if (Reg().SetValueEx(currentKey_, name, kRegDword, bytes, sizeof bytes) != kErrorSuccess) {
    throw SetDataError(name);
  }
}

void RegistryBase::GetValueNames(std::vector<std::string>& list) {
  list.clear();
  std::string name;
  for (std::uint32_t index = 0; Reg().EnumValue(currentKey_, index, &name) == kErrorSuccess;
       ++index) {
    list.push_back(name);
  }
}

void RegistryBase::GetKeyNames(std::vector<std::string>& list) {
  list.clear();
  std::string name;
  for (std::uint32_t index = 0; Reg().EnumKeyEx(currentKey_, index, &name) == kErrorSuccess;
       ++index) {
    list.push_back(name);
  }
}

// --- Registry -----------------------------------------------------------------------------
//
// Each operation below begins with Begin(root) and closes its key when it leaves, by return or
// by error, so that a refused write or a value of the wrong type never leaves a handle behind
// (a handle left open would also keep a user's hive from unloading).

// Until an operation selects a root, the primitives work from the default root.
Registry::Registry() { rootKey_ = defaultRoot_; }

void Registry::Begin(HKey root) {
  SetRootKey(root);
  CloseAndReset();
}

void Registry::CloseAndReset() {
  CloseKey();
  access_ = kKeyAllAccess;
}

bool Registry::OpenFull(const std::string& path, bool canCreate) {
  access_ = kKeyAllAccess;
  return OpenKey(path, canCreate);
}

void Registry::PutStringAt(HKey root, const std::string& path, bool canCreate,
                           const std::string& name, const std::string& text) {
  PutStringAt(root, path, canCreate, name, StringValue{text, kRegSz});
}

void Registry::PutString(const std::string& path, bool canCreate, const std::string& name,
                         const std::string& text) {
  PutStringAt(defaultRoot_, path, canCreate, name, text);
}

void Registry::PutStringAt(HKey root, const std::string& path, bool canCreate,
                           const std::string& name, const StringValue& value) {
  Begin(root);
  if (!OpenFull(path, canCreate)) throw Error("Unable to open : " + path);
  AtScopeEnd closeOnExit([this] { CloseAndReset(); });
  WriteString(name, value);
}

void Registry::PutString(const std::string& path, bool canCreate, const std::string& name,
                         const StringValue& value) {
  PutStringAt(defaultRoot_, path, canCreate, name, value);
}

void Registry::PutIntegerAt(HKey root, const std::string& path, bool canCreate,
                            const std::string& name, std::int32_t value) {
  Begin(root);
  if (!OpenFull(path, canCreate)) return;
  AtScopeEnd closeOnExit([this] { CloseAndReset(); });
  WriteInteger(name, value);
}

void Registry::PutInteger(const std::string& path, bool canCreate, const std::string& name,
                          std::int32_t value) {
  PutIntegerAt(defaultRoot_, path, canCreate, name, value);
}

std::string Registry::GetStringAt(HKey root, const std::string& path, const std::string& name) {
  return GetStringValueAt(root, path, name).text;
}

StringValue Registry::GetStringValueAt(HKey root, const std::string& path,
                                       const std::string& name) {
  Begin(root);
  if (!OpenKeyReadOnly(path)) return StringValue{};
  AtScopeEnd closeOnExit([this] { CloseAndReset(); });
  if (!ValueExists(name)) return StringValue{};
  return ReadStringValue(name);
}

std::string Registry::GetString(const std::string& path, const std::string& name) {
  return GetStringAt(defaultRoot_, path, name);
}

std::string Registry::TakeStringAt(HKey root, const std::string& path, const std::string& name) {
  return TakeStringValueAt(root, path, name).text;
}

StringValue Registry::TakeStringValueAt(HKey root, const std::string& path,
                                        const std::string& name) {
  Begin(root);
  if (!OpenFull(path, false)) return StringValue{};
  AtScopeEnd closeOnExit([this] { CloseAndReset(); });
  if (!ValueExists(name)) return StringValue{};
  StringValue result = ReadStringValue(name);
  DeleteValue(name);
  return result;
}

std::string Registry::TakeString(const std::string& path, const std::string& name) {
  return TakeStringAt(defaultRoot_, path, name);
}

void Registry::RemoveValueAt(HKey root, const std::string& path, const std::string& name) {
  Begin(root);
  if (!OpenFull(path, false)) return;
  AtScopeEnd closeOnExit([this] { CloseAndReset(); });
  if (ValueExists(name)) DeleteValue(name);
}

void Registry::RemoveValue(const std::string& path, const std::string& name) {
  RemoveValueAt(defaultRoot_, path, name);
}

std::int32_t Registry::GetIntegerAt(HKey root, const std::string& path, const std::string& name) {
  std::int32_t result = -1;
  GetIntegerIfPresentAt(root, path, name, result);
  return result;
}

std::int32_t Registry::GetInteger(const std::string& path, const std::string& name) {
  return GetIntegerAt(defaultRoot_, path, name);
}

bool Registry::GetIntegerIfPresentAt(HKey root, const std::string& path, const std::string& name,
                                     std::int32_t& value) {
  Begin(root);
  if (!OpenKeyReadOnly(path)) return false;
  AtScopeEnd closeOnExit([this] { CloseAndReset(); });
  if (!ValueExists(name)) return false;
  value = ReadInteger(name);
  return true;
}

bool Registry::GetIntegerIfPresent(const std::string& path, const std::string& name,
                                   std::int32_t& value) {
  return GetIntegerIfPresentAt(defaultRoot_, path, name, value);
}

bool Registry::GetStringIfPresentAt(HKey root, const std::string& path, const std::string& name,
                                    std::string& value) {
  Begin(root);
  if (!OpenKeyReadOnly(path)) return false;
  AtScopeEnd closeOnExit([this] { CloseAndReset(); });
  if (!ValueExists(name)) return false;
  value = ReadString(name);
  return true;
}

bool Registry::GetStringIfPresent(const std::string& path, const std::string& name,
                                  std::string& value) {
  return GetStringIfPresentAt(defaultRoot_, path, name, value);
}

bool Registry::KeyExistsAt(HKey root, const std::string& path) {
  Begin(root);
  return KeyExists(path);
}

bool Registry::ValueExistsAt(HKey root, const std::string& path, const std::string& name) {
  Begin(root);
  if (!OpenKeyReadOnly(path)) return false;
  AtScopeEnd closeOnExit([this] { CloseAndReset(); });
  return ValueExists(name);
}

std::int32_t Registry::GetIntegerOrCreate(const std::string& name, std::int32_t defaultValue) {
  if (ValueExists(name)) return ReadInteger(name);
  WriteInteger(name, defaultValue);
  return defaultValue;
}

std::int32_t Registry::GetIntegerOrCreateAt(HKey root, const std::string& path,
                                            const std::string& name, std::int32_t defaultValue) {
  Begin(root);
  if (OpenFull(path, true)) {
    AtScopeEnd closeOnExit([this] { CloseAndReset(); });
    return GetIntegerOrCreate(name, defaultValue);
  }
  std::int32_t result = defaultValue;
  GetIntegerIfPresentAt(root, path, name, result);
  return result;
}

void Registry::RecreateSubKeyAt(HKey root, const std::string& parentPath,
                                const std::string& subKey) {
  Begin(root);
  if (!OpenFull(parentPath, false)) return;
  AtScopeEnd closeOnExit([this] { CloseAndReset(); });
  if (KeyExists(subKey)) DeleteKey(subKey);
  CreateKey(subKey);
}

void Registry::DeleteSubKeyAt(HKey root, const std::string& parentPath, const std::string& subKey) {
  Begin(root);
  if (!OpenFull(parentPath, false)) return;
  AtScopeEnd closeOnExit([this] { CloseAndReset(); });
  if (KeyExists(subKey)) DeleteKey(subKey);
}

void Registry::RecreateSubKey(const std::string& parentPath, const std::string& subKey) {
  RecreateSubKeyAt(defaultRoot_, parentPath, subKey);
}

void Registry::ListValueNamesAt(HKey root, const std::string& path,
                                std::vector<std::string>& list) {
  Begin(root);
  if (!OpenKeyReadOnly(path)) return;
  AtScopeEnd closeOnExit([this] { CloseAndReset(); });
  GetValueNames(list);
}

void Registry::ListValueNames(const std::string& path, std::vector<std::string>& list) {
  ListValueNamesAt(defaultRoot_, path, list);
}

void Registry::ListKeyNamesAt(HKey root, const std::string& path, std::vector<std::string>& list) {
  Begin(root);
  if (!OpenKeyReadOnly(path)) return;
  AtScopeEnd closeOnExit([this] { CloseAndReset(); });
  GetKeyNames(list);
}

void Registry::ListKeyNames(const std::string& path, std::vector<std::string>& list) {
  ListKeyNamesAt(defaultRoot_, path, list);
}

void Registry::LoadUserHive(const std::string& user, const std::string& profilesFolder,
                            const std::string& knownSid) {
  user_ = user;
  mount_ = "Launchward_" + user;
  // A user who is logged on (another session, a service) has the hive loaded by Windows under
  // the account's SID, and a second load of the file would fail: the loaded one is used.
  const std::string sid = knownSid.empty() ? AccountSid(user) : knownSid;
  if (!sid.empty() && KeyExistsAt(kHKeyUsers, sid)) {
    mount_ = sid;
    return;
  }
  // Failure is not reported here: the mount is then simply missing, and the operations
  // under it behave as for a missing key.
  const std::string file =
      knownSid.empty() ? UserHiveFile(user, profilesFolder) : AccountHiveFile(knownSid);
  if (!file.empty()) Reg().LoadKey(kHKeyUsers, mount_, file);
}

void Registry::UnloadUserHive() {
  // A hive with an open key cannot be unloaded; no operation keeps one, but a direct use of
  // the primitives may have.
  Begin(kHKeyUsers);
  // The hive of a logged-on user is Windows' own, and stays.
  if (mount_ == "Launchward_" + user_) Reg().UnLoadKey(kHKeyUsers, mount_);
}

}  // namespace lw
