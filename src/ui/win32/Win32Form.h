#pragma once
// The base of the program's windows: a top-level window built from a layout table (the
// controls with their positions in pixels, captions and ids), owned by the application's
// window, in the program's font (Tahoma, height -11). Each window has a class name of its own
// ("TfrmDummyRunner" for the Startup Control window, "TFrmOptions" ...): the names it has always
// had, kept because tests and users' own scripts find the windows by them.
//
// Every message a form handles runs behind the event dispatcher: an error that escapes a
// handler is shown in a message box and the window stays open. Closing a form hides it (or ends
// its modal show with IDCANCEL); forms live until the program ends.

#include <string>
#include <vector>

#include "platform/win32/Win32Api.h"

namespace lw {

enum class ControlKind {
  kButton,
  kCheckBox,
  kEdit,     // one line, with a border
  kTextBox,  // multi-line, read-only, flat, both scroll bars
  kLabel,
  kGroupBox,
  kIcon,       // a picture showing an icon of the executable (caption: the resource id)
  kStatusBar,  // at the bottom of the window, without panels
  kBar,        // a grey bar that separates parts of a window
  kLink,       // a label that is clicked like a link (the hand cursor over it)
  kListView,   // a report list: several rows selectable, the selection shown without the focus
  kTabs        // a row of page tabs drawn as flat buttons, each kTabWidth wide
};

inline constexpr int kTabWidth = 100;

// Positions and sizes are in pixels at 96 DPI (see Scaled).
struct ControlSpec {
  int id;
  ControlKind kind;
  std::string caption;
  int left;
  int top;
  int width;
  int height;
  // Keeps its distance to all four sides of the window when the window is resized.
  bool anchoredAll = false;
};

struct FormSpec {
  std::string className;
  std::string caption;
  int clientWidth;
  int clientHeight;
  // The window's style (WS_CAPTION, WS_SYSMENU, WS_THICKFRAME ...); WS_POPUP and WS_CLIPCHILDREN
  // are added.
  DWORD style;
  // Extended styles besides WS_EX_CONTROLPARENT (WS_EX_APPWINDOW for a button in the task bar).
  DWORD exStyle = 0;
  // The two sizes are the whole window's, frame and caption included, not the client area's.
  bool outerSize = false;
};

// A font of a control other than the window's.
struct ControlFont {
  std::string face;
  int height;  // in pixels at 96 DPI, as CreateFont takes it (negative: the characters' height)
  bool bold = false;
  bool underline = false;
};

class Win32Form {
 public:
  // Creates the window and its controls, hidden and centred on the screen. Raises lw::Error
  // when Windows refuses the window or one of its controls; then no window remains.
  Win32Form(const FormSpec& form, const std::vector<ControlSpec>& controls);
  virtual ~Win32Form();
  Win32Form(const Win32Form&) = delete;
  Win32Form& operator=(const Win32Form&) = delete;

  HWND Handle() const { return hwnd_; }
  HWND Item(int id) const { return ::GetDlgItem(hwnd_, id); }
  std::string ItemText(int id) const;
  void SetItemText(int id, const std::string& text);
  bool ItemChecked(int id) const;
  void SetItemChecked(int id, bool checked);
  void SetItemEnabled(int id, bool enabled);
  bool ItemEnabled(int id) const;
  // Gives the control a font of its own (kept until the form goes).
  void SetItemFont(int id, const ControlFont& font);
  // Draws the label's text in this colour.
  void SetItemTextColor(int id, COLORREF color);

  void Show();
  void Hide();
  bool Visible() const;
  // Shows the form with every other window of the program disabled, handles messages until
  // EndModal (or the program ends), then hides it; returns the result (IDCANCEL when closed).
  int ShowModal();
  void EndModal(int result);
  bool Modal() const { return modal_; }

 protected:
  // A control's command (button clicks, edit changes).
  virtual void OnCommand(int /*id*/, int /*notifyCode*/) {}
  // Any other message; true when handled (result then goes back to Windows).
  virtual bool OnMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/,
                         LRESULT& /*result*/) {
    return false;
  }
  // The close box, Alt+F4 and Esc: hides the form, or ends its modal show with IDCANCEL.
  virtual void OnClose();
  // The client area changed its size (after the anchored controls followed).
  virtual void OnResized() {}
  // A key pressed (WM_KEYDOWN, WM_SYSKEYDOWN) or let go (WM_KEYUP, WM_SYSKEYUP) in one of the
  // form's windows (focus: the window that has the focus), before keyboard navigation and the
  // window itself see it; true when the form used it.
  virtual bool OnKey(UINT /*message*/, UINT /*key*/, HWND /*focus*/) { return false; }
  // Over the form's own client area (no control under the mouse): true when the form set the
  // cursor itself.
  virtual bool OnSetCursor() { return false; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Route(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControl(const ControlSpec& control);
  // The window and what the form owns for it go (for the destructor, and for a constructor
  // that fails half-way).
  void DestroyOwnWindow();
  void KeepAnchors();

  // The label colour of a control, when it has one (WM_CTLCOLORSTATIC).
  bool ItemTextColor(HWND item, COLORREF& color) const;
  bool IsLink(HWND item) const;

  struct Anchor {
    int id;
    int right;   // distance of the control's right edge to the client area's right edge
    int bottom;  // likewise at the bottom
  };
  struct TextColor {
    int id;
    COLORREF color;
  };
  struct OwnedFont {
    HFONT handle;
  };

  HWND hwnd_ = nullptr;
  std::vector<Anchor> anchors_;
  std::vector<TextColor> textColors_;
  std::vector<OwnedFont> fonts_;
  std::vector<int> links_;
  int statusBar_ = 0;
  int modalResult_ = 0;
  bool modal_ = false;
  // The control that had the keyboard focus when the form was last deactivated (a message box
  // came up, say): it gets the focus back, as in a dialog.
  HWND lastFocus_ = nullptr;
};

// The layouts are drawn for 96 dots per inch. The program tells Windows that it scales its
// windows itself (its manifest declares it DPI-aware, so the text stays sharp), and so it does:
// positions, sizes and the font grow with the screen's DPI; at 96 nothing changes.
inline constexpr int kDesignDpi = 96;
int ScreenDpi();
int Scaled(int pixels);

// The font of every window: Tahoma, height -11 at 96 DPI (shared, freed at exit).
HFONT FormFont();

// The icon Windows shows for the file (its own, or that of the program that opens it); null
// when there is none. The caller destroys it.
HICON AssociatedIcon(const std::string& path);

}  // namespace lw
