#include "ui/AboutDialog.h"

#include "platform/Platform.h"
#include "util/FileVersion.h"

namespace lw {

std::string AboutVersionText() { return GetFileVersionString(Sys().GetModuleFileName()); }

bool OpenProjectPage() {
  const std::intptr_t result = Shell().ShellExecute("", kProjectUrl, "", "", kSwShowNormal);
  if (result > kShellExecuteSuccessAbove) return true;
  ShowMessage(kMsgProjectPageFailed + std::string(kProjectUrl));
  return false;
}

}  // namespace lw
