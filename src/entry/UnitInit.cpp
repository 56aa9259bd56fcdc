#include "entry/UnitInit.h"

#include "items/UnitItemManager.h"
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
  InitializeUnitItemManager();
}

void FinalizeUnits() {
  FinalizeUnitItemManager();
  FinalizeUnitErrorLog();
  FinalizeUnitSpecialPaths();
  FinalizeUnitMyKeys();
  FinalizeUnitTokenPrivs();
}

}  // namespace lw
