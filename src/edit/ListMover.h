#pragma once
// Moves the selected rows of an ordered list: to the top, up one place, down one place, to the
// bottom. A moved row is re-created at its new place: its caption, texts and icon travel with
// it, it comes out selected, and it loses the keyboard focus mark. Rows that are not selected
// are never re-created. Each does nothing when no row is selected.
//
//   Up:     each selected block moves up one place; a selected top row stays (rows 0 and 1
//           selected swap places, the second passing the first).
//   Down:   the same downwards, taken from the bottom.
//   Top:    the selected rows form a block at the top, in their previous order.
//   Bottom: the selected rows form a block at the bottom, in their previous order.

#include "edit/EditRows.h"

namespace lw {

void MoveSelectedTop(EditList& list);
void MoveSelectedUp(EditList& list);
void MoveSelectedDown(EditList& list);
void MoveSelectedBottom(EditList& list);

}  // namespace lw
