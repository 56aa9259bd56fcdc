#pragma once
// Who may change a file on the simulated machine: owners and DACLs as a Windows 10 setup gives
// them. The drive roots carry the root's DACL (administrators and SYSTEM full control, users
// read, and every signed-in user (Authenticated Users) may create folders there and modify what
// is below them); the Windows and Program Files folders are protected (TrustedInstaller owns
// them, administrators and SYSTEM change them, users read). Everything else inherits from the
// folder above, as a new file or folder does, with Administrators as its owner (the owner an
// elevated administrator's files get): CREATOR OWNER entries pass on as entries for that owner.

#include <string>

#include "platform/sim/SimState.h"

namespace lw::sim {

// The owner and DACL of the node: staged, or else what it inherits.
FileSecurity EffectiveSecurity(const SimPlatform::State& state, const FileNode& node);

// The Windows 10 defaults named above.
FileSecurity DriveRootSecurity();
FileSecurity ProtectedSystemFolderSecurity();

}  // namespace lw::sim
