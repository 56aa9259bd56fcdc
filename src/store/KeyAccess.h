#pragma once
// Many values of one key, read or written with the key opened once: the runner reads the records
// of all its items when its pass begins and writes what it learnt about an item in one go, where
// an operation per value (open, query, close) cost it dozens of registry calls per item. The key
// is closed when the reader or writer goes; hold one for one operation only.

#include <cstdint>
#include <string>

#include "store/Registry.h"
#include "util/Error.h"

namespace lw {

// A stored value as it was read: its data (the default when absent), or the error that reading
// it raised, raised again where the value is used, as a read at that moment would have.
template <class T>
struct StoredValue {
  T value{};
  std::string error;
  const T& Get() const {
    if (!error.empty()) throw Error(error);
    return value;
  }
};

class KeyReader {
 public:
  // A key that does not open reads as empty: every value absent.
  KeyReader(HKey root, const std::string& path);
  KeyReader(const KeyReader&) = delete;
  KeyReader& operator=(const KeyReader&) = delete;

  // Absent values leave stored as it was: false. True when the value is there (also when it
  // could not be read; stored then holds the error).
  bool Integer(const std::string& name, StoredValue<std::int32_t>& stored);
  bool String(const std::string& name, StoredValue<std::string>& stored);

 private:
  Registry registry_;
  bool open_ = false;
};

class KeyWriter {
 public:
  // Opens the key for writing, creating it when missing.
  KeyWriter(HKey root, const std::string& path);
  ~KeyWriter();  // flushes and closes the key
  KeyWriter(const KeyWriter&) = delete;
  KeyWriter& operator=(const KeyWriter&) = delete;

  // Does nothing when the key could not be opened; raises when the value cannot be set.
  void Integer(const std::string& name, std::int32_t value);
  // Raises "Unable to open : " + path when the key could not be opened.
  void String(const std::string& name, const std::string& text);

 private:
  Registry registry_;
  std::string path_;
  bool open_ = false;
};

}  // namespace lw
