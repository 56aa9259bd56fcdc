#include "platform/sim/SimHive.h"

#include <string_view>

#include "platform/sim/SimRegistryTree.h"

namespace lw::sim {

namespace {

// Real hive files begin with "regf"; ours too, followed by our own format's name.
constexpr std::string_view kHeader = "regf Launchward simulated hive 1";

void WriteKey(const RegNode& key, const std::string& path, std::string* out) {
  *out += "K " + ToHex(path) + "\r\n";
  for (const RegValue& value : key.values) {
    *out += "V " + ToHex(value.name) + " " + std::to_string(value.type) + " " + ToHex(value.data) +
            "\r\n";
  }
  for (const auto& [name, child] : key.children) {
    WriteKey(*child, path.empty() ? child->name : path + "\\" + child->name, out);
  }
}

bool ParseType(const std::string& text, std::uint32_t* type) {
  if (text.empty() || text.size() > 10) return false;
  std::uint64_t number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (number > 0xFFFFFFFFu) return false;
  *type = static_cast<std::uint32_t>(number);
  return true;
}

}  // namespace

std::string SerializeHive(const RegNode& key) {
  std::string out(kHeader);
  out += "\r\n";
  WriteKey(key, "", &out);
  return out;
}

bool ParseHive(const std::string& bytes, RegNode* key) {
  std::vector<std::string> lines = Split(bytes, '\n', true);
  if (lines.empty()) return false;
  for (std::string& line : lines) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
  }
  if (lines[0] != kHeader) return false;
  RegNode* current = nullptr;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::vector<std::string> fields = Split(lines[i], ' ', false);
    if (fields.size() == 2 && fields[0] == "K") {
      std::string path;
      if (!FromHex(fields[1], &path)) return false;
      current = key;
      for (const std::string& part : Split(path, '\\', true)) {
        std::shared_ptr<RegNode> child = FindChild(*current, part);
        if (!child) child = AddChild(*current, part);
        current = child.get();
      }
    } else if (fields.size() == 4 && fields[0] == "V" && current != nullptr) {
      RegValue value;
      if (!FromHex(fields[1], &value.name) || !ParseType(fields[2], &value.type) ||
          !FromHex(fields[3], &value.data)) {
        return false;
      }
      if (FindValue(*current, value.name) != nullptr) return false;
      current->values.push_back(std::move(value));
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace lw::sim
