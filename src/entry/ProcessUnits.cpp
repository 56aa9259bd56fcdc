#include "entry/ProcessUnits.h"

#include "items/ItemManager.h"
#include "runner/ProcessorLoad.h"
#include "store/HivePrivileges.h"
#include "store/SettingsStore.h"
#include "util/CurrentUser.h"
#include "util/ErrorLog.h"
#include "util/SpecialFolders.h"

namespace lw {

void InitializeProcessUnits() {
  InitializeHivePrivileges();
  InitializeSettingsStore();
  InitializeSpecialFolders();
  InitializeErrorLog();
  InitializeProcessorLoad();
  InitializeItemManager();
}

void FinalizeProcessUnits() {
  StopActingForAccount();
  FinalizeItemManager();
  FinalizeProcessorLoad();
  FinalizeErrorLog();
  FinalizeSpecialFolders();
  FinalizeSettingsStore();
  FinalizeHivePrivileges();
}

}  // namespace lw
