// lwresponse: the desktop's stand-in in the logon benchmark. Every 20 ms it asks for a fixed
// small piece of work (SpinWork of the given rounds, about a millisecond on the idle machine)
// and notes how late the answer came: from the moment the tick was due until the work was done,
// so timer lateness and a slowed-down piece of work both count, as they do for a window that
// must repaint.
//
//   lwresponse.exe <output file> <rounds>
//
// Ticks are due on a fixed grid: a tick that comes late does not move the next ones, so a stall
// shows in every tick it delays (as input queued behind a stall does). Only a stall of more than
// a second starts the grid afresh. It sets the ready event after its first answer, runs until
// the benchmark sets the end event (ten minutes at most) and then writes one line per tick,
// "<due us> <late us>\r\n" (the performance counter, in microseconds). Exit code 0, or 1 when
// an argument was wrong or the samples could not be written.

#include <windows.h>
// After <windows.h>, which it needs.
#include <mmsystem.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "LogonProtocol.h"

namespace lw::bench {
namespace {

constexpr std::uint64_t kTickUs = 20000;
constexpr std::uint64_t kResyncUs = 1000000;

volatile std::uint32_t sink = 0;

struct Tick {
  std::uint64_t due;
  std::uint64_t late;
};

bool WriteTicks(const std::string& path, const std::vector<Tick>& ticks) {
  std::string text;
  text.reserve(ticks.size() * 24);
  for (const Tick& tick : ticks) {
    text += std::to_string(tick.due) + " " + std::to_string(tick.late) + "\r\n";
  }
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok =
      ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  ::CloseHandle(file);
  return ok && written == text.size();
}

int Run(int argc, char** argv) {
  char* end = nullptr;
  const unsigned long rounds = argc == 3 ? std::strtoul(argv[2], &end, 10) : 0;
  if (argc != 3 || end == argv[2] || *end != '\0' || rounds == 0) return 1;
  HANDLE stop = ::CreateEventA(nullptr, TRUE, FALSE, kProbeEndEvent);
  HANDLE ready = ::CreateEventA(nullptr, TRUE, FALSE, kProbeReadyEvent);
  if (stop == nullptr || ready == nullptr) return 1;
  // Millisecond timers, as a desktop's animations and input have on Windows (Wine has them).
  ::timeBeginPeriod(1);
  std::vector<Tick> ticks;
  ticks.reserve(static_cast<std::size_t>(kLongestLifeMs / 20));
  const std::uint64_t begin = NowMicroseconds();
  std::uint64_t due = begin + kTickUs;
  while (NowMicroseconds() - begin < std::uint64_t{kLongestLifeMs} * 1000) {
    const std::uint64_t now = NowMicroseconds();
    // Rounded up, so that the wait never ends before the tick is due.
    const DWORD wait = now < due ? static_cast<DWORD>((due - now + 999) / 1000) : 0;
    if (::WaitForSingleObject(stop, wait) == WAIT_OBJECT_0) break;
    sink = sink + SpinWork(static_cast<std::uint32_t>(rounds));
    const std::uint64_t answered = NowMicroseconds();
    ticks.push_back({due, answered > due ? answered - due : 0});
    if (ticks.size() == 1) ::SetEvent(ready);
    due += kTickUs;
    if (answered > due + kResyncUs) due = answered + kTickUs;
  }
  ::timeEndPeriod(1);
  ::CloseHandle(ready);
  ::CloseHandle(stop);
  return WriteTicks(argv[1], ticks) ? 0 : 1;
}

}  // namespace
}  // namespace lw::bench

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return lw::bench::Run(__argc, __argv); }
