#pragma once
// What the store holds about an item the runner starts, read once when the runner's pass over
// its list begins, and what the pass learns about it, written in one place when the item is
// done. Asking the store for each attribute as it was needed (origin, view, pauses, figures,
// priority, start method, one by one) cost the runner some fifty registry calls per item.
//
// Values are read as the single accessors of the settings store read them (absent values give
// the same defaults, from the same hives); a value that cannot be read raises its error where
// it is used, as a read at that moment would have.

#include <cstdint>
#include <string>
#include <vector>

#include "items/ItemManager.h"
#include "store/KeyAccess.h"

namespace lw {

struct ItemRecord {
  std::string key;  // stored item name, store path, or the initial pause's key
  // Run-key items: "RunLocation".
  StoredValue<std::int32_t> locationRoot{-1, {}};
  StoredValue<std::int32_t> locationView{-1, {}};
  StoredValue<std::string> locationUser;
  StoredValue<std::string> locationSid;
  // Startup items: "StartupLocation".
  StoredValue<std::string> startupLocation;
  // Pauses: the user's (machine) and the tuned one (per user).
  StoredValue<std::int32_t> customPause;
  StoredValue<std::int32_t> tunedPause;
  // Auto-tune figures (per user): k_PRE, k_PRE_PREVIOUS, k_POST, k_POST_PREVIOUS.
  StoredValue<std::int32_t> pre, prePrevious, post, postPrevious;
  // Run-key items: the priority class (kDefaultPriority when absent) and the start method.
  StoredValue<std::int32_t> priority{kDefaultPriority, {}};
  bool priorityStored = false;
  StoredValue<std::string> execMethod;

  // Learnt by the pass, not yet written.
  bool beforeTaken = false;    // pre and prePrevious
  bool afterTaken = false;     // post and postPrevious
  bool pauseTuned = false;     // tunedPause
  bool priorityAsked = false;  // the default priority is written when none was stored
  std::string methodLearnt;

  RunOrigin Origin() const;
};

// The records of the keys, in their order. runItems: also the run-key records ("RunLocation",
// priority, start method); otherwise the startup ones ("StartupLocation").
std::vector<ItemRecord> ReadItemRecords(const std::vector<std::string>& keys, bool runItems);
ItemRecord ReadItemRecord(const std::string& key, bool runItem);

// Writes what the record learnt (figures, tuned pause, start method; the default priority of an
// item that had none) and clears it. A start method that cannot be written goes to the error
// log: it only costs the chain next time.
void SaveLearnt(ItemRecord& record);
// What a later record of the same key (an item listed twice) must see after record was saved.
void PassOnLearnt(const ItemRecord& from, ItemRecord& to);

}  // namespace lw
