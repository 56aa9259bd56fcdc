#include "runner/LastLogonRecord.h"

#include <cstdlib>

#include "store/SettingsStore.h"
#include "util/CurrentUser.h"
#include "util/Error.h"
#include "util/Text.h"

namespace lw {

namespace {

constexpr std::int32_t kFullLoad = 100;

std::string LoadField(std::int32_t load) {
  return load == kLoadUnknown ? std::string() : std::to_string(load);
}

// An empty field is a load not measured; anything else must be a percentage.
bool ParseLoad(const std::string& field, std::int32_t* load) {
  if (TrimBlanks(field).empty()) {
    *load = kLoadUnknown;
    return true;
  }
  return TryParseWholeNumber(field, load) && *load >= 0 && *load <= kFullLoad;
}

std::string LoadText(std::int32_t load) {
  return load == kLoadUnknown ? std::string("?") : std::to_string(load) + "%";
}

}  // namespace

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
                           LoadField(figures.loadBefore) + "," + LoadField(figures.loadAfter);
  try {
    reg.PutStringAt(kPerUserRoot, kLastLogonKey, true, itemKey, text);
  } catch (const Error&) {
  }
}

bool GetLastLogonFigures(const std::string& itemKey, LastLogonFigures& figures) {
  // A copy that cannot tell whose it is would read its own account's figures as the user's.
  if (AccountUnconfirmed()) return false;
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
      read.startedAfterMs < 0 ||
      !ParseLoad(text.substr(first + 1, second - first - 1), &read.loadBefore) ||
      !ParseLoad(text.substr(second + 1), &read.loadAfter)) {
    return false;
  }
  figures = read;
  return true;
}

std::string LastLogonText(const LastLogonFigures& figures) {
  // Tenths of a second, cut and not rounded, so that 999 ms reads 0.9 s and not 1.0 s.
  const std::int64_t ms = figures.startedAfterMs;
  const std::int64_t tenths = std::llabs(ms) / 100;
  return std::string(ms < 0 ? "-" : "") + std::to_string(tenths / 10) + "." +
         std::to_string(tenths % 10) + " s, " + LoadText(figures.loadBefore) + " -> " +
         LoadText(figures.loadAfter);
}

std::string LastLogonText(const std::string& itemKey) {
  LastLogonFigures figures;
  return GetLastLogonFigures(itemKey, figures) ? LastLogonText(figures) : std::string();
}

}  // namespace lw
