// lwshots.exe: takes the pictures of launchward.exe's windows that the README shows, from the
// real program, so that they never drift from it. It starts the program as a user would, opens
// each window with the program's own buttons, waits until the window's picture stops changing
// and saves it as a 24-bit BMP file (the script behind it turns them into PNG files).
//
//   lwshots.exe LAUNCHWARD_EXE OUTPUT_FOLDER
//
// Meant for a scratch Wine prefix on a virtual display: it registers the program (the second
// phase does) and changes its options.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "driver/WindowDriver.h"
#include "edit/EditWindow.h"
#include "edit/win32/EditWindowView.h"
#include "install/RestoreWindow.h"
#include "install/win32/RestoreWindowView.h"
#include "platform/Platform.h"
#include "platform/win32/Win32Api.h"
#include "platform/win32/Win32Platform.h"
#include "runner/StartupControl.h"
#include "runner/win32/StartupControlWindow.h"
#include "ui/AboutDialog.h"
#include "ui/Options.h"
#include "ui/win32/AboutDialogView.h"
#include "ui/win32/MainWindowView.h"
#include "ui/win32/OptionsDialog.h"

namespace {

using lw::driver::ChildProcess;
using lw::driver::WindowQuery;

// A window opened from the main window: the button that opens it, how to find it, the button
// that closes it again. A window that needs more first (the program installed, say) does it in
// prepare.
struct DialogShot {
  const char* file;
  int openButton;
  WindowQuery window;
  int closeButton;
  std::function<bool(DWORD processId, HWND main)> prepare;
};

const std::vector<DialogShot>& DialogShots() {
  static const std::vector<DialogShot> shots = {
      {"options-dialog",
       lw::kMainOptionsId,
       {lw::kOptionsDialogClass, lw::kOptionsCaption, true},
       lw::kOptionsCancelId,
       {}},
      {"about-box",
       lw::kMainAboutId,
       {lw::kAboutDialogClass, lw::kAboutCaption, true},
       lw::kAboutCloseId,
       {}},
      {"restore-window",
       lw::kMainRestoreId,
       {lw::kRestoreWindowClass, lw::kRestoreWindowCaption, true},
       lw::kRestoreCloseId,
       {}},
  };
  return shots;
}

// How long the second phase waits before its first item: long enough to take its picture.
constexpr DWORD kShownInitialPauseMs = 60000;

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<char> rows;  // bottom-up rows of BGR pixels, each padded to 4 bytes
  bool operator==(const Picture& other) const {
    return width == other.width && height == other.height && rows == other.rows;
  }
};

// What the screen shows where the window is, frame and caption included.
Picture Capture(HWND window) {
  Picture picture;
  RECT rect{};
  if (!::GetWindowRect(window, &rect)) return picture;
  picture.width = rect.right - rect.left;
  picture.height = rect.bottom - rect.top;
  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, picture.width, picture.height);
  HGDIOBJ old = ::SelectObject(memory, bitmap);
  ::BitBlt(memory, 0, 0, picture.width, picture.height, screen, rect.left, rect.top, SRCCOPY);
  ::SelectObject(memory, old);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = picture.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  const int stride = (picture.width * 3 + 3) & ~3;
  picture.rows.assign(static_cast<std::size_t>(stride) * picture.height, 0);
  ::GetDIBits(memory, bitmap, 0, picture.height, picture.rows.data(), &info, DIB_RGB_COLORS);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
  return picture;
}

bool SaveBmp(const Picture& picture, const std::string& path) {
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = picture.width;
  header.biHeight = picture.height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = static_cast<DWORD>(file.bfOffBits + picture.rows.size());
  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  bool written =
      std::fwrite(&file, sizeof file, 1, out) == 1 &&
      std::fwrite(&header, sizeof header, 1, out) == 1 &&
      std::fwrite(picture.rows.data(), 1, picture.rows.size(), out) == picture.rows.size();
  return std::fclose(out) == 0 && written;
}

// Saves the window's picture once two looks in a row show the same (the program has painted
// it); false when it never settles or cannot be written.
bool Shoot(HWND window, const std::string& folder, const char* name) {
  if (window == nullptr) {
    std::fprintf(stderr, "lwshots: no window for %s\n", name);
    return false;
  }
  Picture last;
  Picture now;
  const bool settled = lw::driver::WaitUntil([&] {
    last = now;
    now = Capture(window);
    ::Sleep(200);  // a look now and a look a moment later
    return now.width > 0 && now == last;
  });
  const std::string path = folder + name + ".bmp";
  if (!settled || !SaveBmp(now, path)) {
    std::fprintf(stderr, "lwshots: the picture of %s could not be taken\n", name);
    return false;
  }
  std::printf("lwshots: %s (%d x %d)\n", path.c_str(), now.width, now.height);
  return true;
}

std::string FolderOf(const std::string& path) {
  return path.substr(0, path.find_last_of('\\') + 1);
}

// Writes one value, creating the key; nothing when Windows refuses (the picture then shows less).
void SetValue(const std::string& key, const std::string& name, DWORD type, const void* data,
              DWORD size, HKEY root = HKEY_LOCAL_MACHINE) {
  HKEY handle = nullptr;
  // The 32-bit view: where the program keeps its store and looks for its registration.
  if (::RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr,
                        &handle, nullptr) != ERROR_SUCCESS)
    return;
  ::RegSetValueExA(handle, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
  ::RegCloseKey(handle);
}

void SetString(const std::string& key, const std::string& name, const std::string& data) {
  SetValue(key, name, REG_SZ, data.c_str(), static_cast<DWORD>(data.size() + 1));
}

void SetDword(const std::string& key, const std::string& name, DWORD data) {
  SetValue(key, name, REG_DWORD, &data, sizeof data);
}

// A machine that Launchward manages, so that the restore and edit windows have rows to show:
// installed, three run-key items in the run order (one new, one of a user's own, one with a
// pause of its own, all with the figures of the last logon), one disabled, one orphaned (a
// command no list names), and a shortcut in the store with a disabled one beside it.
void StageManagedItems(const std::string& exe) {
  const std::string program = "SOFTWARE\\Tallowmere\\Launchward";
  SetString("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "LAUNCHWARD",
            "\"" + exe + "\" -go ");
  SetString(program, "IsInstalled", "Si");
  const char* items[][2] = {
      {"Messenger", "\"C:\\Program Files\\Messenger\\messenger.exe\" /background"},
      {"Backup Agent", "C:\\Program Files\\Backup\\agent.exe -tray"},
      {"Cloud Sync", "\"C:\\Program Files\\Cloud\\sync.exe\""},
      {"Updater", "C:\\Program Files\\Vendor\\update.exe /check"},
      {"Old Tool", "C:\\Tools\\old.exe"},
  };
  for (const auto& item : items) SetString(program + "\\Run", item[0], item[1]);
  for (int i = 0; i < 3; ++i) SetString(program + "\\RunSort", std::to_string(i), items[i][0]);
  SetDword(program + "\\RunSort", "SortIndex", 3);
  SetString(program + "\\RunDisabled", "Updater", items[3][1]);
  // A shortcut to the program itself, so that its row shows an icon.
  const std::string store = FolderOf(exe) + "Startup";
  ::CreateDirectoryA(store.c_str(), nullptr);
  const std::string link = store + "\\Notes.lnk";
  lw::Shell().SaveShellLink(link, exe, "");
  SetString(program + "\\StartupSort", "0", link);
  SetDword(program + "\\StartupSort", "SortIndex", 1);
  SetString(program + "\\StartupDisable", "Old Notes.lnk", store + "\\Old Notes.lnk");
  SetString(program + "\\RunNewItems", "Cloud Sync", items[2][1]);
  SetDword(program + "\\CustomDelays", "Messenger", 2500);
  SetString(program + "\\RunLocation", "Backup Agent", "alice");
  SetDword(program + "\\RunLocation", "Backup Agent_HKEY", 0x80000001u);
  const char* figures[][2] = {{"Messenger", "5120,12,64"},
                              {"Backup Agent", "9870,18,41"},
                              {"Cloud Sync", "14210,9,77"},
                              {nullptr, "17650,22,35"}};
  for (const auto& figure : figures) {
    const std::string key = figure[0] != nullptr ? figure[0] : link;
    const std::string text = figure[1];
    SetValue(program + "\\LastLogon", key, REG_SZ, text.c_str(),
             static_cast<DWORD>(text.size() + 1), HKEY_CURRENT_USER);
  }
}

// The edit window on both pages, each with a row selected (so that its commands show enabled);
// the Run-key page's lower list has a disabled item, drawn grey.
bool ShootEditWindow(DWORD processId, HWND main, const std::string& out) {
  // The pointer in the screen's corner, away from the lists, whose hint would cover the buttons.
  ::SetCursorPos(0, 0);
  lw::driver::PressButton(main, lw::kMainEditId);
  const HWND edit = lw::driver::WaitForProcessWindow(
      processId, {lw::kEditWindowClass, lw::kEditWindowCaption, true});
  if (edit == nullptr) return Shoot(edit, out, "edit-window-runkey");
  const HWND runList = ::GetDlgItem(edit, lw::kEditRunIds.list);
  lw::driver::ClickListRow(runList, 0);
  lw::driver::WaitUntil(
      [&] { return ::IsWindowEnabled(::GetDlgItem(edit, lw::kEditRunIds.disable)); });
  bool ok = Shoot(edit, out, "edit-window-runkey");
  // The second tab, clicked.
  const HWND tabs = ::GetDlgItem(edit, lw::kEditTabsId);
  RECT tabsRect{};
  ::GetClientRect(tabs, &tabsRect);
  const LPARAM second = MAKELPARAM(lw::Scaled(lw::kTabWidth) * 3 / 2, tabsRect.bottom / 2);
  lw::driver::PostWindowMessage(tabs, WM_LBUTTONDOWN, MK_LBUTTON, second);
  lw::driver::PostWindowMessage(tabs, WM_LBUTTONUP, 0, second);
  const HWND startupList = ::GetDlgItem(edit, lw::kEditStartupIds.list);
  lw::driver::WaitUntil([&] { return lw::driver::IsVisible(startupList); });
  lw::driver::ClickListRow(startupList, 0);
  lw::driver::WaitUntil(
      [&] { return ::IsWindowEnabled(::GetDlgItem(edit, lw::kEditStartupIds.disable)); });
  ok = Shoot(edit, out, "edit-window-startup") && ok;
  lw::driver::PostWindowMessage(edit, WM_CLOSE, 0, 0);
  lw::driver::WaitUntil([&] { return !lw::driver::IsVisible(edit); });
  return ok;
}

bool ShootManagementWindows(const std::string& exe, const std::string& out) {
  StageManagedItems(exe);
  ChildProcess process;
  if (!process.Start("\"" + exe + "\"", FolderOf(exe))) return false;
  const HWND main = lw::driver::WaitForProcessWindow(
      process.Id(), {lw::kMainWindowClass, lw::kProductTitle, true});
  bool ok = Shoot(main, out, "main-window");
  if (main != nullptr) ok = ShootEditWindow(process.Id(), main, out) && ok;
  for (const DialogShot& shot : DialogShots()) {
    if (main == nullptr) break;
    if (shot.prepare && !shot.prepare(process.Id(), main)) {
      std::fprintf(stderr, "lwshots: %s could not be prepared\n", shot.file);
      ok = false;
      continue;
    }
    lw::driver::PressButton(main, shot.openButton);
    const HWND window = lw::driver::WaitForProcessWindow(process.Id(), shot.window);
    ok = Shoot(window, out, shot.file) && ok;
    lw::driver::PressButton(window, shot.closeButton);
    lw::driver::WaitUntil([&] { return !lw::driver::IsVisible(window); });
  }
  if (main != nullptr) lw::driver::PostWindowMessage(main, WM_CLOSE, 0, 0);
  return process.WaitForExit(lw::driver::kStartLimitMs) && ok;
}

// The second phase with its window shown, during its initial pause.
bool ShootStartupControl(const std::string& exe, const std::string& out) {
  const std::string ini = FolderOf(exe) + "options.ini";
  for (const char* box : {lw::kShowStartupDialogOption, lw::kDisableAutoTuneOption}) {
    ::WritePrivateProfileStringA(box, box, "1", ini.c_str());
  }
  SetDword("SOFTWARE\\Tallowmere\\Launchward", "InitialPauseMilli", kShownInitialPauseMs);
  ChildProcess process;
  if (!process.Start("\"" + exe + "\" -go", FolderOf(exe))) return false;
  const HWND runner = lw::driver::WaitForProcessWindow(
      process.Id(), {lw::kStartupControlWindowClass, lw::kRunnerCaption, true});
  // The load figure comes with the first tick of its timer.
  lw::driver::WaitUntil([&] {
    return lw::driver::ControlText(runner, lw::kRunnerStatusBoxId).rfind("(Pausing", 0) == 0 &&
           !lw::driver::ControlText(runner, lw::kRunnerLoadId).empty();
  });
  const bool ok = Shoot(runner, out, "startup-control");
  lw::driver::PressButton(runner, lw::kRunnerStopId);
  return process.WaitForExit(lw::driver::kStartLimitMs) && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: lwshots LAUNCHWARD_EXE OUTPUT_FOLDER\n");
    return 2;
  }
  lw::InstallPlatform(lw::MakeWin32Platform());
  const std::string exe = argv[1];
  std::string out = argv[2];
  if (out.empty() || out.back() != '\\') out += '\\';
  const bool management = ShootManagementWindows(exe, out);
  const bool runner = ShootStartupControl(exe, out);
  return management && runner ? 0 : 1;
}
