#pragma once
// The rows of the edit window's four lists, as the window's logic keeps them. The view draws
// them and reports the user's selection back; everything a row means is in its caption and
// texts, so rows can be moved by copying them (see ListMover).

#include <string>
#include <vector>

namespace lw {

// Where a row's icon comes from.
enum class RowIcon {
  kProgram,   // the program's own icon: a file that does not exist or cannot be resolved
  kFile,      // the icon associated with iconFile (an executable)
  kShortcut,  // the shell's small icon of iconFile (a shortcut)
};

struct EditRow {
  std::string caption;                // the row's identity for every command
  std::vector<std::string> subItems;  // the texts of columns 1, 2, ...
  RowIcon icon = RowIcon::kProgram;
  std::string iconFile;
  bool grey = false;  // drawn in grey: a disabled item
  bool selected = false;
  bool focused = false;  // the keyboard focus mark

  // The text of column 1 + index; empty when the row has fewer texts.
  const std::string& SubItem(std::size_t index) const;
};

using EditList = std::vector<EditRow>;

// How many rows are selected, and the index of the first selected one (-1 when none).
int SelectionCount(const EditList& list);
int FirstSelected(const EditList& list);

}  // namespace lw
