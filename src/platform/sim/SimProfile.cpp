#include "platform/sim/SimProfile.h"

#include <vector>

#include "platform/sim/SimText.h"

namespace lw::sim {

namespace {

struct Line {
  std::string text;  // without its end
  std::string end;   // "\r\n", "\n" or "" for a last line without one
};

std::vector<Line> SplitLines(const std::string& text) {
  std::vector<Line> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t newline = text.find('\n', start);
    Line line;
    if (newline == std::string::npos) {
      line.text = text.substr(start);
      start = text.size();
    } else {
      line.text = text.substr(start, newline - start);
      line.end = "\n";
      if (!line.text.empty() && line.text.back() == '\r') {
        line.text.pop_back();
        line.end = "\r\n";
      }
      start = newline + 1;
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

// The section name of a "[name]" line (up to its last ']'), trimmed; false for other lines.
bool SectionName(const std::string& line, std::string* name) {
  const std::string trimmed = Trim(line);
  if (trimmed.empty() || trimmed[0] != '[') return false;
  const std::size_t close = trimmed.rfind(']');
  if (close == std::string::npos) return false;
  *name = Trim(trimmed.substr(1, close - 1));
  return true;
}

// The key of a "key=value" line (or a line without '='), trimmed.
std::string KeyName(const std::string& line) { return Trim(line.substr(0, line.find('='))); }

// Index of the section's header line, or lines.size().
std::size_t FindSection(const std::vector<Line>& lines, const std::string& section) {
  std::string name;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (SectionName(lines[i].text, &name) && SameName(name, section)) return i;
  }
  return lines.size();
}

std::size_t SectionEnd(const std::vector<Line>& lines, std::size_t header) {
  std::string name;
  std::size_t i = header + 1;
  while (i < lines.size() && !SectionName(lines[i].text, &name)) ++i;
  return i;
}

// Index of the key's line within [begin, end), or end.
std::size_t FindKey(const std::vector<Line>& lines, std::size_t begin, std::size_t end,
                    const std::string& key) {
  for (std::size_t i = begin; i < end; ++i) {
    if (!Trim(lines[i].text).empty() && SameName(KeyName(lines[i].text), key)) return i;
  }
  return end;
}

}  // namespace

bool ProfileLookup(const std::string& text, const std::string& section, const std::string& key,
                   std::string* value) {
  const std::vector<Line> lines = SplitLines(text);
  const std::size_t header = FindSection(lines, section);
  if (header == lines.size()) return false;
  const std::size_t end = SectionEnd(lines, header);
  const std::size_t at = FindKey(lines, header + 1, end, key);
  if (at == end) return false;
  const std::size_t equals = lines[at].text.find('=');
  if (equals == std::string::npos) return false;
  std::string found = Trim(lines[at].text.substr(equals + 1));
  if (found.size() >= 2 && (found[0] == '"' || found[0] == '\'') && found.back() == found[0]) {
    found = found.substr(1, found.size() - 2);
  }
  *value = found;
  return true;
}

std::string ProfileWrite(const std::string& text, const std::string& section,
                         const std::string& key, const std::string& value) {
  std::vector<Line> lines = SplitLines(text);
  const std::size_t header = FindSection(lines, section);
  if (header == lines.size()) {
    if (!lines.empty() && lines.back().end.empty()) lines.back().end = "\r\n";
    lines.push_back(Line{"[" + section + "]", "\r\n"});
    lines.push_back(Line{key + "=" + value, "\r\n"});
  } else {
    const std::size_t end = SectionEnd(lines, header);
    const std::size_t at = FindKey(lines, header + 1, end, key);
    if (at != end) {
      lines[at].text = KeyName(lines[at].text) + "=" + value;
    } else {
      std::size_t after = header + 1;
      for (std::size_t i = header + 1; i < end; ++i) {
        if (!Trim(lines[i].text).empty()) after = i + 1;
      }
      if (lines[after - 1].end.empty()) lines[after - 1].end = "\r\n";
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(after),
                   Line{key + "=" + value, "\r\n"});
    }
  }
  std::string result;
  for (const Line& line : lines) result += line.text + line.end;
  return result;
}

}  // namespace lw::sim
