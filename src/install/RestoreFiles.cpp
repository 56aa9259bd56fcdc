#include "install/RestoreFiles.h"

#include <cstdio>

#include "platform/NameCase.h"
#include "platform/Platform.h"
#include "platform/WinConst.h"
#include "store/Registry.h"
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

// The bytes of the text with its closing zero as the registry stores them: the program's text,
// or UTF-16LE in the Unicode form.
std::string Utf16LeBytes(const std::u16string& wide) {
  std::string bytes;
  bytes.reserve(2 * wide.size());
  for (char16_t unit : wide) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

std::string StoredBytes(const std::string& text, RegFormat format) {
  if (format == RegFormat::kRegedit4) return text + '\0';
  return Utf16LeBytes(Sys().MultiByteToWideChar(text) + u'\0');
}

bool IsAscii(const std::string& text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// "hex(N):" and the stored bytes, as regedit writes them: two hex digits a byte, commas between,
// and a line that would grow past the width continued on the next with a backslash and two
// blanks.
std::string HexData(std::uint32_t type, const std::string& bytes, std::size_t used) {
  std::string out = "hex(" + std::to_string(type) + "):";
  std::size_t column = used + out.size();
  const std::size_t count = bytes.size();
  for (std::size_t i = 0; i < count; ++i) {
    char byte[4];
    std::snprintf(byte, sizeof byte, "%02x", static_cast<unsigned char>(bytes[i]));
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

std::string RegValueLine(const std::string& name, const StringValue& data, RegFormat format) {
  if (HasLineBreak(name)) return std::string();
  std::string line = "\"" + Escaped(name) + "\"=";
  if (data.type == kRegExpandSz || HasLineBreak(data.text)) {
    const std::uint32_t type = data.type == kRegExpandSz ? kRegExpandSz : kRegSz;
    // The column counts characters, as regedit folds its lines.
    return line + HexData(type, StoredBytes(data.text, format), WideLength(line));
  }
  return line + "\"" + Escaped(data.text) + "\"";
}

std::vector<std::string> RegItemLines(const std::string& keyHeader, const std::string& name,
                                      const StringValue& data, RegFormat format) {
  const std::string value = RegValueLine(name, data, format);
  if (value.empty()) return {};
  return {keyHeader, value, ""};
}

std::string RegFileBytes(const std::vector<RegFileItem>& items) {
  RegFormat format = RegFormat::kRegedit4;
  for (const RegFileItem& item : items) {
    if (!IsAscii(item.keyHeader) || !IsAscii(item.name) || !IsAscii(item.data.text))
      format = RegFormat::kUnicode;
  }
  std::vector<std::string> lines = {
      format == RegFormat::kUnicode ? kUnicodeRegFileHeader : kRegFileHeader, ""};
  for (const RegFileItem& item : items) {
    for (std::string& line : RegItemLines(item.keyHeader, item.name, item.data, format))
      lines.push_back(std::move(line));
  }
  if (lines.size() == 2) return std::string();
  const std::string text = JoinLines(lines);
  if (format == RegFormat::kRegedit4) return text;
  return "\xFF\xFE" + Utf16LeBytes(Sys().MultiByteToWideChar(text));
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

std::string BatchFileBytes(const std::vector<std::string>& lines) {
  const std::uint32_t console = ConsoleCodePage();
  std::string readable;
  std::string unicode;
  for (const std::string& line : lines) {
    const std::u16string wide = Sys().MultiByteToWideChar(line);
    std::string inConsole;
    if (IsAscii(line) || Sys().WideCharToMultiByte(console, wide, &inConsole)) {
      readable += (IsAscii(line) ? line : inConsole) + "\r\n";
      continue;
    }
    std::string utf8;
    Sys().WideCharToMultiByte(kCodePageUtf8, wide, &utf8);
    unicode += utf8 + "\r\n";
  }
  if (unicode.empty()) return readable;
  return readable + "@chcp 65001 >nul\r\n" + unicode;
}

std::uint32_t ConsoleCodePage() {
  std::int32_t codePage = 0;
  Registry registry;
  const std::string recorded = registry.GetStringAt(
      kHKeyLocalMachine, "\\SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage", "OEMCP");
  if (TryParseWholeNumber(recorded, &codePage) && codePage > 0)
    return static_cast<std::uint32_t>(codePage);
  return kCodePageOem437;
}

}  // namespace lw
