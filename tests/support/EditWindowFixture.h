#pragma once
// A machine with the edit window's logic on it: the take-over fixture (its Run values,
// shortcuts and logon pass), the dialog service recorded, a recording view, and a runner that
// starts single items. Helpers select rows by caption and read the lists back.

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "edit/EditWindow.h"
#include "items/ItemManager.h"
#include "runner/LogonRunner.h"
#include "support/RecordingDialogs.h"
#include "support/RecordingEditView.h"
#include "support/TakeOverFixture.h"

namespace lw::test {

inline std::vector<std::string> Sorted(std::vector<std::string> list) {
  std::sort(list.begin(), list.end());
  return list;
}

// Whether the run order lists the stored name, the start order the path, the store's key the
// value.
inline bool InRunOrder(const std::string& name) {
  const std::vector<std::string> order = SortEntries(kRunSortKey);
  return std::find(order.begin(), order.end(), name) != order.end();
}
inline bool InStartupOrder(const std::string& path) {
  const std::vector<std::string> order = SortEntries(kStartupSortKey);
  return std::find(order.begin(), order.end(), path) != order.end();
}
inline bool Has(const std::string& key, const std::string& name) {
  return RawValueExists(kHKeyLocalMachine, key, name);
}

class EditWindowFixture : public TakeOverFixture {
 protected:
  void SetUp() override {
    TakeOverFixture::SetUp();
    runner = std::make_unique<LogonRunner>(StatusCallback{}, RunnerUse::kSingleItems);
    window = std::make_unique<EditWindow>(view, *runner);
  }
  void TearDown() override {
    window.reset();
    runner.reset();
    TakeOverFixture::TearDown();
  }

  // Fills the lists (the first-install message of an empty run order is not asked about).
  void Open() {
    window->PrepareLists();
    dialogs.Clear();
  }

  std::vector<std::string> Captions(EditListId list) const {
    std::vector<std::string> captions;
    for (const EditRow& row : window->List(list)) captions.push_back(row.caption);
    return captions;
  }

  const EditRow& Row(EditListId list, const std::string& caption) const {
    for (const EditRow& row : window->List(list)) {
      if (row.caption == caption) return row;
    }
    ADD_FAILURE() << "no row " << caption;
    static const EditRow kNone;
    return kNone;
  }

  // Selects exactly these rows of the list, as a click (or Ctrl+clicks) would, and tells the
  // window, as the view does.
  void Select(EditListId list, const std::vector<std::string>& captions) {
    const EditList& rows = window->List(list);
    for (std::size_t index = 0; index < rows.size(); ++index) {
      bool selected = false;
      for (const std::string& caption : captions)
        selected = selected || rows[index].caption == caption;
      window->SetSelected(list, static_cast<int>(index), selected);
    }
    window->OnSelectionChanged(list);
    window->OnMouseDown(list, false);
  }

  RecordingDialogs dialogs;
  RecordingEditView view;
  std::unique_ptr<LogonRunner> runner;
  std::unique_ptr<EditWindow> window;
};

}  // namespace lw::test
