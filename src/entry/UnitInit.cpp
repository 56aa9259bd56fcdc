#include "entry/UnitInit.h"

#include "items/UnitItemManager.h"
#include "runner/UnitCPUUsage.h"
#include "store/UnitMyKeys.h"
#include "store/UnitTokenPrivs.h"
#include "util/UnitErrorLog.h"
#include "util/UnitSpecialPaths.h"

namespace lw {

void InitializeUnits() {
  InitializeUnitTokenPrivs();
  InitializeUnitMyKeys();
  InitializeUnitSpecialPaths();
  InitializeUnitErrorLog();
  InitializeUnitCPUUsage();
  InitializeUnitItemManager();
}

void FinalizeUnits() {
  FinalizeUnitItemManager();
  FinalizeUnitCPUUsage();
  FinalizeUnitErrorLog();
  FinalizeUnitSpecialPaths();
  FinalizeUnitMyKeys();
  FinalizeUnitTokenPrivs();
}

}  // namespace lw
