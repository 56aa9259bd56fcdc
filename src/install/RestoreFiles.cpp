#include "install/RestoreFiles.h"

#include <cstdio>

#include "platform/WinConst.h"
#include "util/Text.h"

namespace lw {

namespace {

constexpr std::size_t kHexLineWidth = 80;

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

bool HasLineBreak(const std::string& text) {
  return text.find_first_of("\r\n") != std::string::npos;
}

// "hex(N):" and the bytes of the text with its closing zero, as regedit writes them: two hex
// digits a byte, commas between, and a line that would grow past the width continued on the
// next with a backslash and two blanks.
std::string HexData(std::uint32_t type, const std::string& text, std::size_t used) {
  std::string out = "hex(" + std::to_string(type) + "):";
  std::size_t column = used + out.size();
  const std::size_t count = text.size() + 1;
  for (std::size_t i = 0; i < count; ++i) {
    char byte[4];
    std::snprintf(byte, sizeof byte, "%02x",
                  i < text.size() ? static_cast<unsigned char>(text[i]) : 0u);
    out += byte;
    column += 2;
    if (i + 1 == count) break;
    out += ',';
    ++column;
    if (column + 3 > kHexLineWidth - 1) {
      out += "\\\r\n  ";
      column = 2;
    }
  }
  return out;
}

}  // namespace

std::string RegValueLine(const std::string& name, const StringValue& data) {
  if (HasLineBreak(name)) return std::string();
  std::string line = "\"" + Escaped(name) + "\"=";
  if (data.type == kRegExpandSz || HasLineBreak(data.text)) {
    const std::uint32_t type = data.type == kRegExpandSz ? kRegExpandSz : kRegSz;
    return line + HexData(type, data.text, line.size());
  }
  return line + "\"" + Escaped(data.text) + "\"";
}

std::vector<std::string> RegItemLines(const std::string& keyHeader, const std::string& name,
                                      const StringValue& data) {
  const std::string value = RegValueLine(name, data);
  if (value.empty()) return {};
  return {keyHeader, value, ""};
}

std::string BatchMoveLine(const std::string& storedPath, const std::string& folder) {
  auto quoted = [](const std::string& path) {
    std::string out = "\"";
    for (char c : path) {
      if (c == '%') out += '%';
      out += c;
    }
    return out + "\"";
  };
  const std::string target = IncludeTrailingBackslash(folder);
  return "if not exist " + quoted(target + ExtractFileName(storedPath)) + " move " +
         quoted(storedPath) + " " + quoted(target);
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += line + "\r\n";
  return out;
}

}  // namespace lw
