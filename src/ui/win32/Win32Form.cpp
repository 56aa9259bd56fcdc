#include "ui/win32/Win32Form.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>

#include "platform/win32/Win32Messages.h"
#include "ui/EventDispatch.h"
#include "ui/win32/Win32Application.h"
#include "util/Error.h"
#include "util/Termination.h"

namespace lw {

namespace {

constexpr char kFontFace[] = "Tahoma";
constexpr int kFontHeight = -11;

struct Font {
  HFONT handle = ::CreateFontA(Scaled(kFontHeight), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                               DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                               DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, kFontFace);
  ~Font() {
    if (handle != nullptr) ::DeleteObject(handle);
  }
};

// The window rectangle for a client area (or, with outerSize, a whole window) of the given
// size, centred in the work area.
RECT CentredWindowRect(int clientWidth, int clientHeight, DWORD style, DWORD exStyle,
                       bool outerSize) {
  RECT rect{0, 0, clientWidth, clientHeight};
  if (!outerSize) ::AdjustWindowRectEx(&rect, style, FALSE, exStyle);
  RECT work{};
  if (!::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) {
    work = RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  }
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  const int left = work.left + (work.right - work.left - width) / 2;
  const int top = work.top + (work.bottom - work.top - height) / 2;
  return RECT{left, top, left + width, top + height};
}

struct ControlClass {
  const char* windowClass;
  DWORD style;
  DWORD exStyle;
};

ControlClass ClassOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::kButton:
      return {"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
    case ControlKind::kCheckBox:
      return {"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0};
    case ControlKind::kEdit:
      return {"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ControlKind::kTextBox:
      return {"EDIT",
              ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL |
                  WS_HSCROLL | WS_BORDER | WS_TABSTOP,
              0};
    case ControlKind::kLabel:
      return {"STATIC", SS_LEFT | SS_NOPREFIX, 0};
    case ControlKind::kGroupBox:
      return {"BUTTON", BS_GROUPBOX, 0};
    case ControlKind::kIcon:
      return {"STATIC", SS_ICON | SS_CENTERIMAGE, 0};
    case ControlKind::kStatusBar:
      return {STATUSCLASSNAMEA, 0, 0};
    case ControlKind::kBar:
      return {"STATIC", SS_GRAYRECT, 0};
    case ControlKind::kLink:
      // SS_NOTIFY: the label takes the mouse, so it gets the clicks and the cursor.
      return {"STATIC", SS_LEFT | SS_NOPREFIX | SS_NOTIFY, 0};
    case ControlKind::kListView:
      return {WC_LISTVIEWA,
              LVS_REPORT | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_TABSTOP | WS_BORDER, 0};
    case ControlKind::kTabs:
      return {WC_TABCONTROLA, TCS_BUTTONS | TCS_FLATBUTTONS | TCS_FIXEDWIDTH | WS_TABSTOP, 0};
  }
  return {"STATIC", 0, 0};
}

}  // namespace

int ScreenDpi() {
  static const int dpi = [] {
    HDC screen = ::GetDC(nullptr);
    const int found = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen != nullptr) ::ReleaseDC(nullptr, screen);
    return found > 0 ? found : kDesignDpi;
  }();
  return dpi;
}

int Scaled(int pixels) { return ::MulDiv(pixels, ScreenDpi(), kDesignDpi); }

HICON AssociatedIcon(const std::string& path) {
  // ExtractAssociatedIcon may write the path of the icon it used into the buffer, up to MAX_PATH
  // characters: in UTF-8 up to three bytes each.
  std::vector<char> buffer(std::max<std::size_t>(path.size() + 1, 3 * MAX_PATH), '\0');
  std::memcpy(buffer.data(), path.c_str(), path.size());
  WORD index = 0;
  return ::ExtractAssociatedIconA(::GetModuleHandleA(nullptr), buffer.data(), &index);
}

HFONT FormFont() {
  static Font font;
  return font.handle;
}

Win32Form::Win32Form(const FormSpec& form, const std::vector<ControlSpec>& controls) {
  RegisterWindowClass(form.className, &Win32Form::WindowProc);
  const DWORD style = form.style | WS_POPUP | WS_CLIPCHILDREN;
  const DWORD exStyle = WS_EX_CONTROLPARENT | form.exStyle;
  const RECT rect = CentredWindowRect(Scaled(form.clientWidth), Scaled(form.clientHeight), style,
                                      exStyle, form.outerSize);
  hwnd_ = ::CreateWindowExA(exStyle, form.className.c_str(), form.caption.c_str(), style, rect.left,
                            rect.top, rect.right - rect.left, rect.bottom - rect.top,
                            ApplicationWindow(), nullptr, ::GetModuleHandleA(nullptr), this);
  if (hwnd_ == nullptr) throw Error("Unable to create the window " + form.className);
  // A constructor that throws runs no destructor: the half-built window goes here, or it would
  // live on with its user data pointing at an object that never was.
  try {
    for (const ControlSpec& control : controls) CreateControl(control);
  } catch (...) {
    DestroyOwnWindow();
    throw;
  }
}

Win32Form::~Win32Form() { DestroyOwnWindow(); }

void Win32Form::DestroyOwnWindow() {
  if (hwnd_ != nullptr) {
    // Nothing reaches this object once it is being destroyed.
    ::SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    ::DestroyWindow(hwnd_);
    hwnd_ = nullptr;
  }
  for (const OwnedFont& font : fonts_) ::DeleteObject(font.handle);
  fonts_.clear();
}

void Win32Form::CreateControl(const ControlSpec& control) {
  const ControlClass cls = ClassOf(control.kind);
  const bool isIcon = control.kind == ControlKind::kIcon;
  HWND item =
      ::CreateWindowExA(cls.exStyle, cls.windowClass, isIcon ? "" : control.caption.c_str(),
                        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | cls.style, Scaled(control.left),
                        Scaled(control.top), Scaled(control.width), Scaled(control.height), hwnd_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)),
                        ::GetModuleHandleA(nullptr), nullptr);
  if (item == nullptr) throw Error("Unable to create a control of " + ItemText(0));
  ::SendMessageA(item, WM_SETFONT, reinterpret_cast<WPARAM>(FormFont()), FALSE);
  if (isIcon) {
    const int resource = std::stoi(control.caption);
    HANDLE icon =
        ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resource), IMAGE_ICON,
                     Scaled(control.width), Scaled(control.height), LR_DEFAULTCOLOR | LR_SHARED);
    ::SendMessageA(item, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
  }
  if (control.kind == ControlKind::kStatusBar) statusBar_ = control.id;
  if (control.kind == ControlKind::kListView) {
    ListView_SetExtendedListViewStyle(item,
                                      LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP);
  }
  if (control.kind == ControlKind::kTabs) {
    ::SendMessageA(item, TCM_SETITEMSIZE, 0, MAKELPARAM(Scaled(kTabWidth), Scaled(control.height)));
  }
  if (control.kind == ControlKind::kLink) links_.push_back(control.id);
  if (control.anchoredAll) {
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    RECT rect{};
    ::GetWindowRect(item, &rect);
    ::MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&rect), 2);
    anchors_.push_back({control.id, client.right - rect.right, client.bottom - rect.bottom});
  }
}

std::string Win32Form::ItemText(int id) const {
  HWND item = id == 0 ? hwnd_ : Item(id);
  // The length is counted in the window's own (wide) characters; in UTF-8 one of them takes up
  // to three bytes.
  const int length = ::GetWindowTextLengthA(item);
  const int size = 3 * (length > 0 ? length : 0) + 1;
  std::string text(static_cast<std::size_t>(size), '\0');
  const int copied = ::GetWindowTextA(item, text.data(), size);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

void Win32Form::SetItemText(int id, const std::string& text) {
  ::SetWindowTextA(Item(id), text.c_str());
}

bool Win32Form::ItemChecked(int id) const {
  return ::SendMessageA(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32Form::SetItemChecked(int id, bool checked) {
  ::SendMessageA(Item(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Win32Form::SetItemEnabled(int id, bool enabled) {
  ::EnableWindow(Item(id), enabled ? TRUE : FALSE);
}

bool Win32Form::ItemEnabled(int id) const { return ::IsWindowEnabled(Item(id)) != FALSE; }

void Win32Form::SetItemFont(int id, const ControlFont& font) {
  HFONT handle = ::CreateFontA(Scaled(font.height), 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE,
                               font.underline ? TRUE : FALSE, FALSE, DEFAULT_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                               DEFAULT_PITCH | FF_DONTCARE, font.face.c_str());
  // Without the font the control keeps the window's: a plainer look, nothing lost.
  if (handle == nullptr) return;
  fonts_.push_back({handle});
  ::SendMessageA(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(handle), TRUE);
}

void Win32Form::SetItemTextColor(int id, COLORREF color) {
  textColors_.push_back({id, color});
  ::InvalidateRect(Item(id), nullptr, TRUE);
}

bool Win32Form::IsLink(HWND item) const {
  for (int id : links_) {
    if (item != nullptr && Item(id) == item) return true;
  }
  return false;
}

bool Win32Form::ItemTextColor(HWND item, COLORREF& color) const {
  for (const TextColor& entry : textColors_) {
    if (Item(entry.id) == item) {
      color = entry.color;
      return true;
    }
  }
  return false;
}

void Win32Form::Show() { ::ShowWindow(hwnd_, SW_SHOW); }

void Win32Form::Hide() { ::ShowWindow(hwnd_, SW_HIDE); }

bool Win32Form::Visible() const { return ::IsWindowVisible(hwnd_) != FALSE; }

namespace {

struct DisabledWindows {
  HWND keep;
  std::vector<HWND> windows;
};

BOOL CALLBACK DisableOne(HWND window, LPARAM param) {
  auto* disabled = reinterpret_cast<DisabledWindows*>(param);
  if (window != disabled->keep && ::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
    ::EnableWindow(window, FALSE);
    disabled->windows.push_back(window);
  }
  return TRUE;
}

}  // namespace

int Win32Form::ShowModal() {
  DisabledWindows disabled{hwnd_, {}};
  ::EnumThreadWindows(::GetCurrentThreadId(), DisableOne, reinterpret_cast<LPARAM>(&disabled));
  modal_ = true;
  modalResult_ = 0;
  Show();
  ::SetForegroundWindow(hwnd_);
  MSG message{};
  while (modalResult_ == 0 && !ApplicationTerminating()) {
    const BOOL got = ::GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) {
      // Someone else's WM_QUIT: leave it for the outer loop.
      ::PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (got < 0) break;
    DispatchWindowMessage(message);
  }
  for (HWND window : disabled.windows) ::EnableWindow(window, TRUE);
  Hide();
  modal_ = false;
  return modalResult_ == 0 ? IDCANCEL : modalResult_;
}

void Win32Form::EndModal(int result) {
  modalResult_ = result;
  // The modal loop looks at the result after each message it takes from the queue; a handler
  // run for a message sent from another thread is not one of those, so the loop is woken.
  if (modal_) ::PostMessageA(hwnd_, WM_NULL, 0, 0);
}

void Win32Form::OnClose() {
  if (modal_) {
    EndModal(IDCANCEL);
  } else {
    Hide();
  }
}

void Win32Form::KeepAnchors() {
  RECT client{};
  ::GetClientRect(hwnd_, &client);
  for (const Anchor& anchor : anchors_) {
    HWND item = Item(anchor.id);
    RECT rect{};
    ::GetWindowRect(item, &rect);
    ::MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&rect), 2);
    ::MoveWindow(item, rect.left, rect.top, client.right - anchor.right - rect.left,
                 client.bottom - anchor.bottom - rect.top, TRUE);
  }
  if (statusBar_ != 0) ::SendMessageA(Item(statusBar_), WM_SIZE, 0, 0);
}

LRESULT CALLBACK Win32Form::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    auto* form = static_cast<Win32Form*>(create->lpCreateParams);
    form->hwnd_ = hwnd;
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form = reinterpret_cast<Win32Form*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (form == nullptr) return ::DefWindowProcA(hwnd, message, wParam, lParam);
  return form->Route(message, wParam, lParam);
}

LRESULT Win32Form::Route(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const int code = HIWORD(wParam);
      // Esc in a form (from the keyboard navigation) closes it like the close box, in the
      // forms that have one.
      const bool closable = (::GetWindowLongA(hwnd_, GWL_STYLE) & WS_SYSMENU) != 0;
      if (id == IDCANCEL && lParam == 0) {
        if (!closable) return 0;
        DispatchEvent([this] { OnClose(); });
      } else {
        DispatchEvent([&] { OnCommand(id, code); });
      }
      return 0;
    }
    case WM_ACTIVATE: {
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = ::GetFocus();
        if (focus != nullptr && ::IsChild(hwnd_, focus)) lastFocus_ = focus;
        break;
      }
      HWND back = lastFocus_;
      if (back != nullptr && ::IsWindow(back) && ::IsChild(hwnd_, back) &&
          ::IsWindowVisible(back) && ::IsWindowEnabled(back)) {
        ::SetFocus(back);
        return 0;
      }
      break;
    }
    case WM_CLOSE:
      DispatchEvent([this] { OnClose(); });
      return 0;
    case WM_SIZE:
      KeepAnchors();
      DispatchEvent([this] { OnResized(); });
      break;
    case WM_SETCURSOR: {
      // Over a link the hand says that it can be clicked.
      if (IsLink(reinterpret_cast<HWND>(wParam))) {
        ::SetCursor(::LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)));  // IDC_HAND
        return TRUE;
      }
      bool set = false;
      if (reinterpret_cast<HWND>(wParam) == hwnd_ && LOWORD(lParam) == HTCLIENT) {
        DispatchEvent([&] { set = OnSetCursor(); });
      }
      if (set) return TRUE;
      break;
    }
    case WM_CTLCOLORSTATIC: {
      COLORREF color = 0;
      if (ItemTextColor(reinterpret_cast<HWND>(lParam), color)) {
        ::SetTextColor(reinterpret_cast<HDC>(wParam), color);
        ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
      }
      // A read-only box keeps the colour of a text box, as the user expects of a text.
      char cls[16] = {};
      HWND control = reinterpret_cast<HWND>(lParam);
      ::GetClassNameA(control, cls, sizeof cls);
      if (lstrcmpiA(cls, "Button") == 0 &&
          (::GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX) {
        // A group box never paints its inside, and the form (WS_CLIPCHILDREN) leaves it out
        // of its own background: without this the frame would enclose whatever the screen
        // held there. The controls inside lie above it and are clipped out of its drawing.
        RECT inside{};
        ::GetClientRect(control, &inside);
        ::FillRect(reinterpret_cast<HDC>(wParam), &inside, ::GetSysColorBrush(COLOR_BTNFACE));
        break;
      }
      if (lstrcmpiA(cls, "Edit") == 0) {
        ::SetBkColor(reinterpret_cast<HDC>(wParam), ::GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
      }
      break;
    }
    default: {
      if (message == PreviewKeyMessage()) {
        bool used = false;
        const MSG& key = *reinterpret_cast<const MSG*>(lParam);
        DispatchEvent([&] { used = OnKey(key.message, static_cast<UINT>(key.wParam), key.hwnd); });
        return used ? 1 : 0;
      }
      LRESULT result = 0;
      bool handled = false;
      DispatchEvent([&] { handled = OnMessage(message, wParam, lParam, result); });
      if (handled) return result;
      break;
    }
  }
  return ::DefWindowProcA(hwnd_, message, wParam, lParam);
}

}  // namespace lw
