#include "store/KeyAccess.h"

namespace lw {

KeyReader::KeyReader(HKey root, const std::string& path) {
  registry_.SetRootKey(root);
  open_ = registry_.OpenKeyReadOnly(path);
}

bool KeyReader::Integer(const std::string& name, StoredValue<std::int32_t>& stored) {
  if (!open_) return false;
  try {
    return registry_.ReadIntegerIfPresent(name, stored.value);
  } catch (const Error& error) {
    stored.error = error.what();
    return true;
  }
}

bool KeyReader::String(const std::string& name, StoredValue<std::string>& stored) {
  if (!open_ || !registry_.ValueExists(name)) return false;
  try {
    stored.value = registry_.ReadString(name);
  } catch (const Error& error) {
    stored.error = error.what();
  }
  return true;
}

KeyWriter::KeyWriter(HKey root, const std::string& path) : path_(path) {
  registry_.SetRootKey(root);
  open_ = registry_.OpenFull(path, true);
}

KeyWriter::~KeyWriter() { registry_.CloseKey(); }

void KeyWriter::Integer(const std::string& name, std::int32_t value) {
  if (open_) registry_.WriteInteger(name, value);
}

void KeyWriter::String(const std::string& name, const std::string& text) {
  if (!open_) throw Error("Unable to open : " + path_);
  registry_.WriteString(name, text);
}

}  // namespace lw
