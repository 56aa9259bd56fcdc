#include "platform/win32/Win32Console.h"

#include <algorithm>

#include "platform/win32/Win32Api.h"

namespace lw {

Win32Console::~Win32Console() {
  if (ownsOutput_) ::CloseHandle(output_);
}

void Win32Console::FindOutput() {
  found_ = true;
  // What the starter redirected: "launchward.exe -list | more", "> list.csv", a deployment
  // tool that captures the output.
  HANDLE standard = ::GetStdHandle(STD_OUTPUT_HANDLE);
  if (standard != nullptr && standard != INVALID_HANDLE_VALUE &&
      ::GetFileType(standard) != FILE_TYPE_UNKNOWN) {
    output_ = standard;
    return;
  }
  // Started from a command prompt without a redirection: its console. A process that has one
  // already (Wine hands the prompt's console to a window program too) is refused the attach
  // with ERROR_ACCESS_DENIED, and writes to the console it has.
  if (!::AttachConsole(ATTACH_PARENT_PROCESS) && ::GetLastError() != ERROR_ACCESS_DENIED) return;
  HANDLE console =
      ::CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
  if (console == INVALID_HANDLE_VALUE) return;
  output_ = console;
  ownsOutput_ = true;
}

void Win32Console::Write(const std::string& bytes) {
  if (!found_) FindOutput();
  if (output_ == nullptr) return;
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 16));
    if (!::WriteFile(output_, bytes.data() + done, chunk, &written, nullptr) || written == 0) {
      return;  // the reader went away: nothing more to do
    }
    done += written;
  }
}

}  // namespace lw
