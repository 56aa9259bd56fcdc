#pragma once
// Registry access for the whole program. RegistryBase holds the primitives (one open key at
// a time, paths from a root); Registry builds whole operations on them, each of which
// selects a root, opens a key by its full path, does one thing and closes the key, on every
// path (an error included), so that no key stays open between operations. All access goes
// through the platform seam.
//
// Paths: a path beginning with a backslash is taken from the root (the backslash is dropped);
// any other path is relative to the current key when one is open, else to the root.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/WinConst.h"

namespace lw {

// A string value with its type. An expandable value (REG_EXPAND_SZ) asks Windows to expand the
// environment references in it ("%ProgramFiles%") when it uses it; a command line moved from a
// Run key to the store and back must come back expandable, or it may no longer start.
struct StringValue {
  std::string text;
  std::uint32_t type = kRegSz;  // kRegSz or kRegExpandSz
};

class RegistryBase {
 public:
  // The view starts as the program's own (ProgramRegistryView): the 32-bit one on 64-bit
  // Windows, so that the program key stays where the 32-bit program has always kept it.
  RegistryBase();
  virtual ~RegistryBase();
  RegistryBase(const RegistryBase&) = delete;
  RegistryBase& operator=(const RegistryBase&) = delete;

  // Selects the root; when it changes, the current key is closed first.
  void SetRootKey(HKey root);
  HKey RootKey() const { return rootKey_; }
  HKey CurrentKey() const { return currentKey_; }
  const std::string& CurrentPath() const { return currentPath_; }
  std::uint32_t Access() const { return access_; }
  void SetAccess(std::uint32_t access) { access_ = access; }
  // The registry view (kKeyWow64_64Key or kKeyWow64_32Key; 0 is the process's own view) added
  // to every access mask this object asks for, so that the resets of the access field never
  // lose it.
  void SetView(std::uint32_t view) { view_ = view; }
  std::uint32_t View() const { return view_; }

  // RegCreateKeyEx (canCreate) or RegOpenKeyEx with the access mask; on success the key
  // becomes the current key (a previous current key is closed first).
  bool OpenKey(const std::string& path, bool canCreate);
  // Tries KEY_READ, then 0x20009, then KEY_QUERY_VALUE; the access that worked is kept.
  bool OpenKeyReadOnly(const std::string& path);
  // Flushes (when it was opened with a right to write) and closes the current key and forgets
  // its path.
  void CloseKey();
  bool KeyExists(const std::string& path);
  // Raises "Failed to create key %s" on failure.
  void CreateKey(const std::string& path);
  // Deletes the key with everything below it, deepest first. An empty sub-key (the root or
  // the current key itself) is refused: false, nothing deleted.
  bool DeleteKey(const std::string& path);

  // Value primitives, on the current key.
  bool ValueExists(const std::string& name);
  bool DeleteValue(const std::string& name);
  // REG_SZ / REG_EXPAND_SZ (not expanded) cut at the first zero byte; empty when the data is
  // shorter than one byte. Raises "Invalid data type for '%s'" for other types and "Failed to
  // get data for '%s'" when the query fails (a missing value included). Values of any size
  // are read whole, also when another program changes their size while they are read.
  std::string ReadString(const std::string& name);
  // The same with the value's type (REG_SZ for a value with no data).
  StringValue ReadStringValue(const std::string& name);
  // Raises "Failed to set data for '%s'". The first writes REG_SZ; the second the value's own
  // type (REG_SZ for any type that is not a string type).
  void WriteString(const std::string& name, const std::string& text);
  void WriteString(const std::string& name, const StringValue& value);
  // Raises "Failed to get data for '%s'" (query failed, or longer than 4 bytes) and "Invalid
  // data type for '%s'" (not REG_DWORD).
  std::int32_t ReadInteger(const std::string& name);
  // The same in one query: false (value untouched) when the value is absent.
  bool ReadIntegerIfPresent(const std::string& name, std::int32_t& value);
  void WriteInteger(const std::string& name, std::int32_t value);
  // Clears the list, then adds every value name of the current key in index order.
  void GetValueNames(std::vector<std::string>& list);
  void GetKeyNames(std::vector<std::string>& list);

 protected:
  // Splits a path into the key it starts from and the sub-key to open below it.
  HKey BaseFor(const std::string& path, std::string* subKey) const;
  void ChangeKey(HKey key, const std::string& path);

  HKey currentKey_ = 0;
  HKey rootKey_ = kHKeyCurrentUser;
  bool lazyWrite_ = false;
  std::string currentPath_;
  bool closeRoot_ = false;
  bool currentKeyWritable_ = false;
  std::uint32_t access_ = kKeyAllAccess;
  std::uint32_t view_ = 0;
};

// Switches a registry object to another view for a while (kOwnView, 0, keeps the object's).
class ScopedRegistryView {
 public:
  ScopedRegistryView(RegistryBase& registry, std::uint32_t view)
      : registry_(registry), saved_(registry.View()) {
    if (view != 0) registry_.SetView(view);
  }
  ~ScopedRegistryView() { registry_.SetView(saved_); }
  ScopedRegistryView(const ScopedRegistryView&) = delete;
  ScopedRegistryView& operator=(const ScopedRegistryView&) = delete;

 private:
  RegistryBase& registry_;
  std::uint32_t saved_;
};

class Registry : public RegistryBase {
 public:
  Registry();  // default root HKEY_LOCAL_MACHINE

  void SetDefaultRoot(HKey root) { defaultRoot_ = root; }
  HKey DefaultRoot() const { return defaultRoot_; }

  // access := KEY_ALL_ACCESS; OpenKey.
  bool OpenFull(const std::string& path, bool canCreate);

  // Raises "Unable to open : " + path when the key cannot be opened (or created).
  void PutStringAt(HKey root, const std::string& path, bool canCreate, const std::string& name,
                   const std::string& text);
  void PutString(const std::string& path, bool canCreate, const std::string& name,
                 const std::string& text);
  // The same keeping the value's type.
  void PutStringAt(HKey root, const std::string& path, bool canCreate, const std::string& name,
                   const StringValue& value);
  void PutString(const std::string& path, bool canCreate, const std::string& name,
                 const StringValue& value);
  // Does nothing when the key cannot be opened.
  void PutIntegerAt(HKey root, const std::string& path, bool canCreate, const std::string& name,
                    std::int32_t value);
  void PutInteger(const std::string& path, bool canCreate, const std::string& name,
                  std::int32_t value);
  // Empty when the key or the value is missing.
  std::string GetStringAt(HKey root, const std::string& path, const std::string& name);
  std::string GetString(const std::string& path, const std::string& name);
  // The same with the value's type; empty text and REG_SZ when missing.
  StringValue GetStringValueAt(HKey root, const std::string& path, const std::string& name);
  // Reads and deletes the value; empty (and nothing deleted) when it is missing.
  std::string TakeStringAt(HKey root, const std::string& path, const std::string& name);
  std::string TakeString(const std::string& path, const std::string& name);
  StringValue TakeStringValueAt(HKey root, const std::string& path, const std::string& name);
  void RemoveValueAt(HKey root, const std::string& path, const std::string& name);
  void RemoveValue(const std::string& path, const std::string& name);
  // -1 when the key or the value is missing.
  std::int32_t GetIntegerAt(HKey root, const std::string& path, const std::string& name);
  std::int32_t GetInteger(const std::string& path, const std::string& name);
  // When the value exists it is read into value and true returned; value is untouched else.
  bool GetIntegerIfPresentAt(HKey root, const std::string& path, const std::string& name,
                             std::int32_t& value);
  bool GetIntegerIfPresent(const std::string& path, const std::string& name, std::int32_t& value);
  bool GetStringIfPresentAt(HKey root, const std::string& path, const std::string& name,
                            std::string& value);
  bool GetStringIfPresent(const std::string& path, const std::string& name, std::string& value);
  // True when the key opens for reading.
  bool KeyExistsAt(HKey root, const std::string& path);
  // True when the key opens for reading and holds the value (of any type).
  bool ValueExistsAt(HKey root, const std::string& path, const std::string& name);
  // On the key already open: writes the default when the value is absent and returns it.
  std::int32_t GetIntegerOrCreate(const std::string& name, std::int32_t defaultValue);
  // Opens the key with create and does GetIntegerOrCreate. When the key cannot be opened for
  // writing (a user without rights) nothing is written: the stored value is returned when the
  // key opens for reading and holds it, else the default.
  std::int32_t GetIntegerOrCreateAt(HKey root, const std::string& path, const std::string& name,
                                    std::int32_t defaultValue);
  // Deletes the sub-key (with everything below it) when present, then creates it empty;
  // nothing happens when the parent cannot be opened.
  void RecreateSubKeyAt(HKey root, const std::string& parentPath, const std::string& subKey);
  void RecreateSubKey(const std::string& parentPath, const std::string& subKey);
  // Deletes the sub-key with everything below it; nothing happens when either is missing.
  void DeleteSubKeyAt(HKey root, const std::string& parentPath, const std::string& subKey);
  // The list is untouched when the key does not open.
  void ListValueNamesAt(HKey root, const std::string& path, std::vector<std::string>& list);
  void ListValueNames(const std::string& path, std::vector<std::string>& list);
  void ListKeyNamesAt(HKey root, const std::string& path, std::vector<std::string>& list);
  void ListKeyNames(const std::string& path, std::vector<std::string>& list);

  // Another user's hive under HKEY_USERS: mounted from its file as "Launchward_" + user, or,
  // while the user is logged on, the one Windows has loaded under the account's SID.
  // HiveMountName() names the key under HKEY_USERS either way. With the account's SID given, the
  // hive is found by it alone (HKEY_USERS\<SID>, else the profile list's folder for that SID);
  // without one, the SID is looked up by the user name and the profiles folder is the fallback.
  std::string HiveMountName() const { return mount_.empty() ? "Launchward_" + user_ : mount_; }
  const std::string& User() const { return user_; }
  void LoadUserHive(const std::string& user, const std::string& profilesFolder,
                    const std::string& sid = std::string());
  void UnloadUserHive();

 private:
  void CloseAndReset();

  // Every operation starts here: selects the root and closes a key that a direct use of the
  // primitives may have left open, so that relative paths are taken from the root.
  void Begin(HKey root);

  std::string user_;
  std::string mount_;
  HKey defaultRoot_ = kHKeyLocalMachine;
};

}  // namespace lw
