#include "ui/win32/UnitFrmOptions.h"

#include "ui/UnitOptionsBinder.h"

namespace lw {

// Placeholder layout until the dialog is laid out in full.
TFrmOptions::TFrmOptions()
    : TWin32Form({"TFrmOptions", kOptionsCaption, 410, 348, WS_CAPTION | WS_SYSMENU}, {}) {}

int TFrmOptions::Execute() { return ShowModal(); }

void TFrmOptions::OnCommand(int, int) {}

void TFrmOptions::ShowOptions() {}

void TFrmOptions::Save() {}

}  // namespace lw
