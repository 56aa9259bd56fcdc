#include "runner/LastLogonRecord.h"

#include <cstdio>

#include "store/SettingsStore.h"
#include "util/Error.h"
#include "util/Text.h"

namespace lw {

void ClearLastLogon(Registry& reg) {
  try {
    reg.RecreateSubKeyAt(kPerUserRoot, kProgramKey, kLastLogonName);
  } catch (const Error&) {
    // The old figures stay; the column then shows the logon before.
  }
}

void SaveLastLogonFigures(Registry& reg, const std::string& itemKey,
                          const LastLogonFigures& figures) {
  const std::string text = std::to_string(figures.startedAfterMs) + "," +
                           std::to_string(figures.loadBefore) + "," +
                           std::to_string(figures.loadAfter);
  try {
    reg.PutStringAt(kPerUserRoot, kLastLogonKey, true, itemKey, text);
  } catch (const Error&) {
  }
}

bool GetLastLogonFigures(const std::string& itemKey, LastLogonFigures& figures) {
  std::string text;
  try {
    if (!SharedRegistry().GetStringIfPresentAt(kPerUserRoot, kLastLogonKey, itemKey, text)) {
      return false;
    }
  } catch (const Error&) {
    return false;  // a value of another type: not ours
  }
  const std::size_t first = text.find(',');
  const std::size_t second = first == std::string::npos ? first : text.find(',', first + 1);
  if (second == std::string::npos) return false;
  LastLogonFigures read;
  if (!TryParseWholeNumber(text.substr(0, first), &read.startedAfterMs) ||
      !TryParseWholeNumber(text.substr(first + 1, second - first - 1), &read.loadBefore) ||
      !TryParseWholeNumber(text.substr(second + 1), &read.loadAfter)) {
    return false;
  }
  figures = read;
  return true;
}

std::string LastLogonText(const LastLogonFigures& figures) {
  // Tenths of a second, rounded down, so that 999 ms reads 0.9 s and not 1.0 s.
  const std::int64_t tenths = static_cast<std::int64_t>(figures.startedAfterMs) / 100;
  char text[64];
  std::snprintf(text, sizeof text, "%lld.%lld s, %d%% -> %d%%", static_cast<long long>(tenths / 10),
                static_cast<long long>(tenths < 0 ? -(tenths % 10) : tenths % 10),
                static_cast<int>(figures.loadBefore), static_cast<int>(figures.loadAfter));
  return text;
}

std::string LastLogonText(const std::string& itemKey) {
  LastLogonFigures figures;
  return GetLastLogonFigures(itemKey, figures) ? LastLogonText(figures) : std::string();
}

}  // namespace lw
