#include "platform/win32/Win32Tasks.h"

#include "platform/win32/Win32Api.h"

#include <taskschd.h>

#include <string>
#include <utility>

#include "platform/win32/Win32Com.h"

namespace lw {
namespace {

// The root folder ("\") of the Task Scheduler on this machine, reached as the calling user.
// The folder is released before the service, and both before the COM scope that encloses
// them ends.
struct RootFolder {
  ComPtr<ITaskService> service;
  ComPtr<ITaskFolder> folder;

  HRESULT Open() {
    HRESULT result = ::CoCreateInstance(__uuidof(TaskScheduler), nullptr, CLSCTX_INPROC_SERVER,
                                        __uuidof(ITaskService), service.Receive());
    if (FAILED(result)) return result;
    // No server, user, domain or password: the local machine, as the calling user.
    const ScopedVariant none;
    result = service->Connect(none.Get(), none.Get(), none.Get(), none.Get());
    if (FAILED(result)) return result;
    ScopedBstr root;
    if (FAILED(result = root.Assign("\\"))) return result;
    return service->GetFolder(root.Get(), folder.ReceiveTyped());
  }
};

// Runs use(root folder) inside a COM scope of its own, and gives the first failure of the way
// there instead. Success of any kind is S_OK to the caller.
template <class Use>
HRESULT InRootFolder(Use use) {
  ScopedCom com;
  if (!com.Usable()) return com.Result();
  RootFolder root;
  HRESULT result = root.Open();
  if (SUCCEEDED(result)) result = use(*root.folder.Get());
  return SUCCEEDED(result) ? S_OK : result;
}

class Win32Tasks : public ITaskScheduler {
 public:
  long RegisterTask(const std::string& name, const std::string& xml, const std::string& userId,
                    int logonType) override {
    ScopedBstr taskName;
    ScopedBstr definition;
    ScopedVariant user;
    HRESULT result = taskName.Assign(name);
    if (SUCCEEDED(result)) result = definition.Assign(xml);
    if (SUCCEEDED(result)) result = user.AssignText(userId);
    if (FAILED(result)) return result;
    return InRootFolder([&](ITaskFolder& folder) {
      const ScopedVariant none;
      ComPtr<IRegisteredTask> registered;
      return folder.RegisterTask(taskName.Get(), definition.Get(), TASK_CREATE_OR_UPDATE,
                                 user.Get(), none.Get(), static_cast<TASK_LOGON_TYPE>(logonType),
                                 none.Get(), registered.ReceiveTyped());
    });
  }

  long GetTaskXml(const std::string& name, std::string* xml) override {
    // A failed call leaves *xml as it was, as every call of the seam does.
    ScopedBstr taskName;
    HRESULT result = taskName.Assign(name);
    if (FAILED(result)) return result;
    return InRootFolder([&](ITaskFolder& folder) {
      ComPtr<IRegisteredTask> task;
      HRESULT step = folder.GetTask(taskName.Get(), task.ReceiveTyped());
      if (FAILED(step)) return step;
      ScopedBstr definition;
      if (FAILED(step = task->get_Xml(definition.Receive()))) return step;
      std::string text;
      if (FAILED(step = definition.ToText(&text))) return step;
      *xml = std::move(text);
      return S_OK;
    });
  }

  long DeleteTask(const std::string& name) override {
    ScopedBstr taskName;
    HRESULT result = taskName.Assign(name);
    if (FAILED(result)) return result;
    return InRootFolder([&](ITaskFolder& folder) { return folder.DeleteTask(taskName.Get(), 0); });
  }
};

}  // namespace

std::unique_ptr<ITaskScheduler> MakeWin32Tasks() { return std::make_unique<Win32Tasks>(); }

}  // namespace lw
