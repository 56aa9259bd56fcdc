#include "DemoChecks.h"

#include <algorithm>
#include <vector>

#include "DemoItems.h"
#include "DemoMachine.h"
#include "store/SettingsStore.h"
#include "util/Error.h"
#include "util/Text.h"

namespace lw::demo {

namespace {

class Faults {
 public:
  explicit Faults(std::string stage) : stage_(std::move(stage)) {}
  void Expect(bool condition, const std::string& fault) {
    if (!condition) text_ += "\n  - " + fault;
  }
  void Raise() const {
    if (!text_.empty()) throw Error(stage_ + ":" + text_);
  }

 private:
  std::string stage_;
  std::string text_;
};

std::string Registration(const std::string& launchward, const char* phaseSwitch) {
  return "\"" + launchward + "\" " + phaseSwitch + " ";
}

// The value data, or a text that no registration equals when it is missing.
std::string SelfValue(const std::string& path) {
  Registry reg;
  std::string data = "(missing)";
  reg.GetStringIfPresentAt(kHKeyLocalMachine, path, kSelfRunValue, data);
  return data;
}

void ExpectRegistration(Faults& faults, const std::string& launchward, const std::string& path,
                        const char* phaseSwitch) {
  const std::string want = Registration(launchward, phaseSwitch);
  const std::string have = SelfValue(path);
  faults.Expect(have == want, "HKLM" + path + " \"" + kSelfRunValue + "\" is [" + have +
                                  "], expected [" + want + "]");
}

// Every demo item is in its Run key (with its command) or its Startup folder; where names the
// place in the fault ("in", "back in").
void ExpectItemsInPlace(Faults& faults, const std::string& program, const std::string& where) {
  for (const DemoItem& item : DemoItems()) {
    if (IsRunKeyPlace(item.place)) {
      Registry reg;
      faults.Expect(reg.GetStringAt(RunRootOf(item.place), kRunKey, item.name) ==
                        DemoCommandLine(program, item),
                    item.name + " is not " + where + " the " + PlaceText(item.place));
    } else {
      faults.Expect(HasFile(StartupFolderOf(item.place), ShortcutFileName(item)),
                    ShortcutFileName(item) + " is not " + where + " the " + PlaceText(item.place));
    }
  }
}

}  // namespace

void CheckPlanted(const std::string& program, const std::string& launchward) {
  Faults faults("the demo items were not planted as they should be");
  ExpectItemsInPlace(faults, program, "in");
  ExpectRegistration(faults, launchward, kRunKey, "-go");
  ExpectRegistration(faults, launchward, kRunOnceKey, "-pre");
  faults.Raise();
}

void CheckAfterPhase1(const std::string& program, const std::string& launchward) {
  Faults faults("Phase 1 (-pre) did not take the items over as it should");
  std::vector<std::string> ordered;
  for (const std::string& name : SortEntries(kRunSortName)) {
    ordered.push_back(DemoNameOfCommand(program, GetRunCommand(name)));
  }
  const std::string store = ShortcutStoreOf(launchward);
  std::vector<std::string> shortcuts;
  for (const std::string& path : SortEntries(kStartupSortName)) {
    shortcuts.push_back(DemoNameOfShortcut(path));
    faults.Expect(SameText(path.substr(0, store.size()), store),
                  "the startup order names " + path + ", which is not in the shortcut store");
  }
  for (const DemoItem& item : DemoItems()) {
    const std::vector<std::string>& order = IsRunKeyPlace(item.place) ? ordered : shortcuts;
    faults.Expect(std::count(order.begin(), order.end(), item.name) == 1,
                  item.name + " is not once in Launchward's " +
                      (IsRunKeyPlace(item.place) ? "run order (with its command unchanged)"
                                                 : "startup order"));
    if (IsRunKeyPlace(item.place)) {
      faults.Expect(!HasValue(RunRootOf(item.place), kRunKey, item.name),
                    item.name + " is still in the " + PlaceText(item.place));
    } else {
      faults.Expect(!HasFile(StartupFolderOf(item.place), ShortcutFileName(item)),
                    ShortcutFileName(item) + " is still in the " + PlaceText(item.place));
      faults.Expect(HasFile(store, ShortcutFileName(item)),
                    ShortcutFileName(item) + " is not in the shortcut store " + store);
    }
  }
  ExpectRegistration(faults, launchward, kRunKey, "-go");
  faults.Expect(!HasValue(kHKeyLocalMachine, kRunOnceKey, kSelfRunValue),
                "Launchward's RunOnce value is still there");
  faults.Expect(HasValue(kHKeyLocalMachine, kProgramKey, kRunOnceMarkValue),
                "the RUNONCE mark is missing");
  faults.Raise();
}

void CheckAfterPhase2(const std::string& launchward) {
  Faults faults("Phase 2 (-go) did not end as it should");
  ExpectRegistration(faults, launchward, kRunKey, "-go");
  ExpectRegistration(faults, launchward, kRunOnceKey, "-pre");
  faults.Expect(!HasValue(kHKeyLocalMachine, kProgramKey, kRunOnceMarkValue),
                "the RUNONCE mark is still there");
  faults.Raise();
}

void CheckAfterRestore(const std::string& program, const std::string& launchward) {
  Faults faults("the restore did not give every item back as it was");
  ExpectItemsInPlace(faults, program, "back in");
  faults.Expect(ReadValues(kHKeyLocalMachine, kRunItemsKey).empty(),
                "Launchward's store still holds run-key items");
  faults.Expect(FolderFiles(ShortcutStoreOf(launchward)).empty(),
                "the shortcut store still holds shortcuts");
  faults.Expect(!HasValue(kHKeyLocalMachine, kRunKey, kSelfRunValue),
                "Launchward is still in the Run key");
  faults.Expect(!HasValue(kHKeyLocalMachine, kRunOnceKey, kSelfRunValue),
                "Launchward is still in the RunOnce key");
  faults.Raise();
}

}  // namespace lw::demo
