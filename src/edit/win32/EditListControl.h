#pragma once
// One of the edit window's report lists on the screen: its columns, its rows drawn from the
// logic's row model (captions, texts, icons, selection and focus), grey text for the rows the
// model marks grey, and the small icons in an image list of its own (the program's icon first).
// The list reports nothing itself: the window reads the notifications and tells the logic.

#include <map>
#include <string>
#include <vector>

#include "edit/EditRows.h"
#include "edit/EditWindow.h"
#include "platform/win32/Win32Api.h"

namespace lw {

class EditListControl {
 public:
  EditListControl() = default;
  ~EditListControl();
  EditListControl(const EditListControl&) = delete;
  EditListControl& operator=(const EditListControl&) = delete;

  // Takes the list view (created by the window) and gives it its image list.
  void Attach(HWND list);
  HWND Handle() const { return list_; }

  // The columns again, each as wide as its share of the list's client width.
  void SetColumns(const std::vector<EditColumn>& columns);
  // The rows again, with their icons, selection and focus; the list keeps its scroll position.
  void Fill(const EditList& rows);
  // True while Fill changes the list: its change notifications are not the user's.
  bool Filling() const { return filling_; }
  // Gives the row the keyboard focus mark (and only that).
  void Focus(int row);
  // The screen point where a menu for the focused row (else the first selected one, else the
  // list's corner) opens.
  POINT MenuPoint() const;
  // The text colour of a row for NM_CUSTOMDRAW: grey for the model's grey rows.
  static bool GreyText(const EditList& rows, std::size_t row, COLORREF& color);

 private:
  int IconIndex(const EditRow& row);

  HWND list_ = nullptr;
  HIMAGELIST icons_ = nullptr;
  // The image of each file's icon, so that a file's icon is extracted once.
  std::map<std::string, int> iconOf_;
  bool filling_ = false;
};

}  // namespace lw
