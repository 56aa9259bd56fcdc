#include "runner/ItemRecord.h"

#include "store/SettingsStore.h"
#include "util/ErrorLog.h"

// Each key of the store is opened once for all the records (a reader per key, not per value),
// and a record's learnt values go into each key in one opening.

namespace lw {

RunOrigin ItemRecord::Origin() const {
  return RunItemOrigin(key, RunLocationReader{
                                [this] { return locationRoot.Get(); },
                                [this] { return locationView.Get(); },
                                [this] { return locationUser.Get(); },
                                [this] { return locationSid.Get(); },
                            });
}

std::vector<ItemRecord> ReadItemRecords(const std::vector<std::string>& keys, bool runItems) {
  std::vector<ItemRecord> records(keys.size());
  for (std::size_t i = 0; i < keys.size(); ++i) records[i].key = keys[i];
  {
    KeyReader custom(kProgramRoot, kCustomDelaysKey);
    for (ItemRecord& record : records) custom.Integer(record.key, record.customPause);
  }
  {
    KeyReader tuned(kPerUserRoot, kCustomDelaysKey);
    for (ItemRecord& record : records) {
      tuned.Integer(record.key + kTunedSuffix, record.tunedPause);
    }
  }
  {
    KeyReader figures(kPerUserRoot, kAutoTuneKey);
    for (ItemRecord& record : records) {
      figures.Integer(record.key + kPreSuffix, record.pre);
      figures.Integer(record.key + kPreSuffix + kPreviousSuffix, record.prePrevious);
      figures.Integer(record.key + kPostSuffix, record.post);
      figures.Integer(record.key + kPostSuffix + kPreviousSuffix, record.postPrevious);
    }
  }
  if (!runItems) {
    KeyReader locations(kProgramRoot, kStartupLocationKey);
    for (ItemRecord& record : records) locations.String(record.key, record.startupLocation);
    return records;
  }
  {
    KeyReader locations(kProgramRoot, kRunLocationKey);
    for (ItemRecord& record : records) {
      locations.Integer(record.key + kHKeySuffix, record.locationRoot);
      locations.Integer(record.key + kViewSuffix, record.locationView);
      locations.String(record.key, record.locationUser);
      locations.String(record.key + kSidSuffix, record.locationSid);
    }
  }
  {
    KeyReader priorities(kProgramRoot, kPriorityKey);
    for (ItemRecord& record : records) {
      record.priorityStored = priorities.Integer(record.key, record.priority);
    }
  }
  {
    KeyReader methods(kPerUserRoot, kExecMethodKey);
    for (ItemRecord& record : records) methods.String(record.key, record.execMethod);
  }
  return records;
}

ItemRecord ReadItemRecord(const std::string& key, bool runItem) {
  return ReadItemRecords({key}, runItem).front();
}

void SaveLearnt(ItemRecord& record) {
  if (record.beforeTaken || record.afterTaken) {
    KeyWriter figures(kPerUserRoot, kAutoTuneKey);
    if (record.beforeTaken) {
      figures.Integer(record.key + kPreSuffix + kPreviousSuffix, record.prePrevious.value);
      figures.Integer(record.key + kPreSuffix, record.pre.value);
    }
    if (record.afterTaken) {
      figures.Integer(record.key + kPostSuffix, record.post.value);
      figures.Integer(record.key + kPostSuffix + kPreviousSuffix, record.postPrevious.value);
    }
  }
  if (record.pauseTuned) {
    record.tunedPause.value = StoredTunedDelay(record.tunedPause.value);
    KeyWriter(kPerUserRoot, kCustomDelaysKey)
        .Integer(record.key + kTunedSuffix, record.tunedPause.value);
  }
  if (!record.methodLearnt.empty()) {
    try {
      KeyWriter(kPerUserRoot, kExecMethodKey).String(record.key, record.methodLearnt);
      record.execMethod = StoredValue<std::string>{record.methodLearnt, {}};
    } catch (const Error& error) {
      SharedErrorLog().TryWrite(error.what());
    }
  }
  if (record.priorityAsked && !record.priorityStored) {
    // The one reader that creates: the edit window shows the class an item starts with. Without
    // the right to write, nothing is written.
    try {
      KeyWriter(kProgramRoot, kPriorityKey).Integer(record.key, record.priority.value);
    } catch (const Error&) {
      // the item started all the same
    }
    record.priorityStored = true;
  }
  record.beforeTaken = record.afterTaken = record.pauseTuned = record.priorityAsked = false;
  record.methodLearnt.clear();
}

void PassOnLearnt(const ItemRecord& from, ItemRecord& to) {
  to.pre = from.pre;
  to.prePrevious = from.prePrevious;
  to.post = from.post;
  to.postPrevious = from.postPrevious;
  to.tunedPause = from.tunedPause;
  to.execMethod = from.execMethod;
  to.priority = from.priority;
  to.priorityStored = from.priorityStored;
}

}  // namespace lw
