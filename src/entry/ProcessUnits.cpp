#include "entry/ProcessUnits.h"

#include "items/ItemManager.h"
#include "runner/ProcessorLoad.h"
#include "store/HivePrivileges.h"
#include "store/SettingsStore.h"
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
  FinalizeItemManager();
  FinalizeProcessorLoad();
  FinalizeErrorLog();
  FinalizeSpecialFolders();
  FinalizeSettingsStore();
  FinalizeHivePrivileges();
}

}  // namespace lw
