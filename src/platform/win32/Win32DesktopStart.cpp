#include "platform/win32/Win32DesktopStart.h"

#include "platform/win32/Win32Api.h"

#include <exdisp.h>
#include <shldisp.h>
#include <shlguid.h>

#include "platform/win32/Win32Com.h"

// How it works: the shell's window list (a server in Explorer's process) names the desktop's
// window; the desktop's browser gives its active view, whose background object is the folder
// view's automation object; its Application is the Shell object of Explorer's own process.
// What that object's ShellExecute starts is started by Explorer, with Explorer's token: the
// rights the user's desktop has, never those of the process that asked.

namespace lw {

namespace {

constexpr GUID kTopLevelBrowser = {
    0x4c96be40, 0x915c, 0x11cf, {0x99, 0xd3, 0x00, 0xaa, 0x00, 0x4a, 0xe8, 0x37}};

HRESULT DesktopShellDispatch(ComPtr<IShellDispatch2>& shell) {
  ComPtr<IShellWindows> windows;
  HRESULT result = ::CoCreateInstance(__uuidof(ShellWindows), nullptr, CLSCTX_LOCAL_SERVER,
                                      __uuidof(IShellWindows), windows.Receive());
  if (FAILED(result)) return result;
  VARIANT location;
  ::VariantInit(&location);
  location.vt = VT_I4;
  location.lVal = CSIDL_DESKTOP;
  VARIANT root;
  ::VariantInit(&root);
  long window = 0;
  ComPtr<IDispatch> desktop;
  result = windows->FindWindowSW(&location, &root, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                                 desktop.ReceiveTyped());
  if (result == S_FALSE || (SUCCEEDED(result) && desktop.Get() == nullptr)) return E_FAIL;
  if (FAILED(result)) return result;
  ComPtr<IServiceProvider> services;
  if (FAILED(result = desktop->QueryInterface(__uuidof(IServiceProvider), services.Receive()))) {
    return result;
  }
  ComPtr<IShellBrowser> browser;
  if (FAILED(result = services->QueryService(kTopLevelBrowser, __uuidof(IShellBrowser),
                                             browser.Receive()))) {
    return result;
  }
  ComPtr<IShellView> view;
  if (FAILED(result = browser->QueryActiveShellView(view.ReceiveTyped()))) return result;
  if (view.Get() == nullptr) return E_FAIL;
  ComPtr<IDispatch> background;
  if (FAILED(result = view->GetItemObject(SVGIO_BACKGROUND, __uuidof(IDispatch),
                                          background.Receive()))) {
    return result;
  }
  ComPtr<IShellFolderViewDual> folderView;
  if (FAILED(result = background->QueryInterface(__uuidof(IShellFolderViewDual),
                                                 folderView.Receive()))) {
    return result;
  }
  ComPtr<IDispatch> application;
  if (FAILED(result = folderView->get_Application(application.ReceiveTyped()))) return result;
  if (application.Get() == nullptr) return E_FAIL;
  return application->QueryInterface(__uuidof(IShellDispatch2), shell.Receive());
}

}  // namespace

long ShellExecuteThroughDesktop(const std::string& verb, const std::string& file,
                                const std::string& parameters, const std::string& directory,
                                int showCommand) {
  ScopedCom com;
  if (!com.Usable()) return com.Result();
  ComPtr<IShellDispatch2> shell;
  HRESULT result = DesktopShellDispatch(shell);
  if (FAILED(result)) return result;
  ScopedBstr fileText;
  ScopedVariant arguments;
  ScopedVariant folder;
  ScopedVariant operation;
  if (FAILED(result = fileText.Assign(file)) || FAILED(result = arguments.AssignText(parameters)) ||
      FAILED(result = folder.AssignText(directory)) ||
      FAILED(result = operation.AssignText(verb))) {
    return result;
  }
  VARIANT show;
  ::VariantInit(&show);
  show.vt = VT_I4;
  show.lVal = showCommand;
  // <windows.h> renamed the method to ShellExecuteA before the shell's headers declared it; the
  // interface has one ShellExecute, which takes BSTRs whatever its name.
  return shell->ShellExecuteA(fileText.Get(), arguments.Get(), folder.Get(), operation.Get(), show);
}

}  // namespace lw
