#pragma once
// 64-bit Windows as the program meets it, as a 64-bit program or as a 32-bit one (WOW64): the
// machine's half of the registry has two views (the 32-bit one under Wow6432Node), and a 32-bit
// program's System32 folder is SysWOW64 unless it says otherwise. The program keeps its own key
// in the 32-bit view, where it has always been, whichever build runs, and names the view of
// every machine key it touches there.

#include <cstdint>

#include "platform/WinConst.h"

namespace lw {

// The machine runs 64-bit Windows: true for a 32-bit process under WOW64 and for a native
// 64-bit process alike.
bool IsWindows64();
// The calling process is a 32-bit one on 64-bit Windows: its System32 is redirected.
bool IsWow64Process();

// The view the program's registry objects use unless told otherwise: the 32-bit view on 64-bit
// Windows (kKeyWow64_32Key), none (0) elsewhere, where the flags mean nothing.
std::uint32_t ProgramRegistryView();

// The machine's Run key views an item may come from: the program's own (0) and, on 64-bit
// Windows, the 64-bit one (kKeyWow64_64Key).
inline constexpr std::uint32_t kOwnView = 0;

// File-system redirection switched off for the calling thread while the object lives, for a
// 32-bit process on 64-bit Windows (System32 is then the 64-bit folder, as Windows' own logon
// sees it); nothing happens anywhere else.
class FsRedirectionOff {
 public:
  FsRedirectionOff();
  ~FsRedirectionOff();
  FsRedirectionOff(const FsRedirectionOff&) = delete;
  FsRedirectionOff& operator=(const FsRedirectionOff&) = delete;

 private:
  bool off_ = false;
  Handle old_ = 0;
};

}  // namespace lw
