#pragma once
// The About box's content: the product title, the version of the running executable and the
// project's page, which its link opens in the user's browser.

#include <string>

#include "ui/Dialogs.h"

namespace lw {

// "About - " and the product title.
inline constexpr char kAboutCaption[] = "About - Launchward";
inline constexpr char kAboutVersionLabel[] = "Version:";
inline constexpr char kAboutNote[] =
    "Got an idea for improvement, a bug to report, or want to donate? Click on the above link.";
inline constexpr char kAboutCloseCaption[] = "Close";
// The project's own page (a reserved domain that no other program can own).
inline constexpr char kProjectUrl[] = "https://launchward.example.org/";
inline constexpr char kMsgProjectPageFailed[] = "Unable to open ";

// "major.minor.release" of the running executable; empty when it has no version resource.
std::string AboutVersionText();

// Opens the project's page with the shell's default action for it, in a normal window: a
// browser asked to start hidden would open the page where nobody sees it. When the shell
// cannot open it, the user is told the address (to open it by hand), and false is returned.
bool OpenProjectPage();

}  // namespace lw
