// The deployment commands run as a process of the real program, the way a deployment tool or a
// script starts them: no window while they run, their exit codes, and the audit list written
// through a redirected standard output (what "launchward.exe -list > items.csv" and "| more"
// rely on: a window program writes to the handle its starter gave it).

#include <algorithm>
#include <string>
#include <vector>

#include "entry/ItemAudit.h"
#include "entry/Unattended.h"
#include "install/ElevatedCopy.h"
#include "install/RestoreWindow.h"
#include "runner/StartupControl.h"
#include "store/SettingsStore.h"
#include "support/CsvReader.h"
#include "support/win32/LogonFixture.h"
#include "util/Csv.h"

namespace lw::test {
namespace {

// A console of its own with what it shows read through a pipe (a pseudo console): the window
// of a command prompt, as the test sees it. Loaded by name: the headers of the Windows version
// the program targets do not declare it.
class PseudoConsole {
 public:
  PseudoConsole() {
    using Create = HRESULT(WINAPI*)(COORD, HANDLE, HANDLE, DWORD, void**);
    const auto create = reinterpret_cast<Create>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "CreatePseudoConsole")));
    HANDLE inputRead = nullptr;
    HANDLE outputWrite = nullptr;
    if (create == nullptr || !::CreatePipe(&inputRead, &input_, nullptr, 0) ||
        !::CreatePipe(&output_, &outputWrite, nullptr, 0)) {
      return;
    }
    // Wide enough that no line of the test is wrapped.
    if (FAILED(create(COORD{250, 40}, inputRead, outputWrite, 0, &console_))) console_ = nullptr;
    ::CloseHandle(inputRead);
    ::CloseHandle(outputWrite);
  }
  ~PseudoConsole() {
    if (console_ != nullptr) {
      using Close = void(WINAPI*)(void*);
      const auto close = reinterpret_cast<Close>(reinterpret_cast<void*>(
          ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "ClosePseudoConsole")));
      Shown();  // the console waits for its reader before it closes
      close(console_);
    }
    for (HANDLE pipe : {input_, output_}) {
      if (pipe != nullptr) ::CloseHandle(pipe);
    }
  }
  PseudoConsole(const PseudoConsole&) = delete;
  PseudoConsole& operator=(const PseudoConsole&) = delete;

  bool Open() const { return console_ != nullptr; }

  // Starts the command line as the console's process; false when Windows refuses.
  bool Start(const std::string& commandLine, const std::string& folder,
             driver::ChildProcess* process) const {
    // PROC_THREAD_ATTRIBUTE_PSEUDOCONSOLE
    constexpr DWORD_PTR kPseudoConsoleAttribute = 0x00020016;
    SIZE_T size = 0;
    ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    std::vector<char> buffer(size);
    const auto attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer.data());
    if (!::InitializeProcThreadAttributeList(attributes, 1, 0, &size)) return false;
    // None of our standard handles (Wine would hand down ours, a pipe): the prompt and the
    // program it starts have the console alone, as when nothing is redirected.
    STARTUPINFOEXA startup{};
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.lpAttributeList = attributes;
    const bool started =
        ::UpdateProcThreadAttribute(attributes, 0, kPseudoConsoleAttribute, console_,
                                    sizeof(console_), nullptr, nullptr) &&
        process->Start(commandLine, folder, &startup);
    ::DeleteProcThreadAttributeList(attributes);
    return started;
  }

  // Everything the console has shown so far, its terminal sequences included.
  const std::string& Shown() {
    DWORD available = 0;
    while (::PeekNamedPipe(output_, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
      std::string chunk(available, '\0');
      DWORD read = 0;
      if (!::ReadFile(output_, chunk.data(), available, &read, nullptr)) break;
      shown_.append(chunk, 0, read);
    }
    return shown_;
  }

 private:
  void* console_ = nullptr;
  HANDLE input_ = nullptr;
  HANDLE output_ = nullptr;
  std::string shown_;
};

class DeployEndToEndTest : public LogonTest {
 protected:
  // Waits for the end, checking all along that the process never has a window; its exit code.
  static std::int64_t ExitCodeWithoutWindow(const driver::ChildProcess& process) {
    DWORD code = 0;
    for (DWORD waited = 0; waited < kEndLimitMs; waited += driver::kPollMs) {
      EXPECT_TRUE(driver::ProcessWindows(process.Id(), driver::WindowQuery{"", "", true}).empty());
      if (process.WaitForExit(driver::kPollMs, &code)) return code;
    }
    return -1;
  }
};

TEST_F(DeployEndToEndTest, QuietInstallAndRestoreShowNothingAndSayHowTheyEnded) {
  // Names a CSV must quote: a comma, quotes, a line break.
  const std::string tool = "Deploy, Tool";
  const std::string kept = "Deploy \"Kept\"";
  const std::string lines = "Deploy\r\nLines";
  SetRawString(kHKeyLocalMachine, kRunKey, tool, ProbeCommand("tool"));
  SetRawString(kHKeyLocalMachine, kRunKey, kept, ProbeCommand("kept"));
  SetRawString(kHKeyLocalMachine, kRunKey, lines, ProbeCommand("lines"));
  ASSERT_EQ(ExitCodeWithoutWindow(Start("-install -quiet")), kExitActionDone);
  ExpectRegisteredForBothPhases();
  EXPECT_TRUE(IsInstalledMarked());
  // The logon's first phase takes them over.
  ASSERT_EQ(ExitCode(Start("-pre")), 0);
  ASSERT_FALSE(RawValueExists(kHKeyLocalMachine, kRunKey, tool));

  // The list, through a redirected standard output, read back by a CSV reader.
  const std::string listed = folder + "items.csv";
  driver::ChildProcess list;
  ASSERT_TRUE(list.Start("cmd /c \"\"" + program + "\" -list > \"" + listed + "\"\"", folder));
  ASSERT_EQ(ExitCode(list), 0);
  const std::string csv = ReadWholeFile(listed);
  ASSERT_EQ(csv.substr(0, 3), kUtf8ByteOrderMark) << csv;
  const auto records = ParseCsv(csv.substr(3));
  ASSERT_EQ(records.size(), 4u) << csv;
  EXPECT_EQ(records[0], AuditFields());
  for (const std::string& name : {tool, kept, lines}) {
    const bool listedOnce =
        std::count_if(records.begin(), records.end(), [&](const std::vector<std::string>& r) {
          return r.size() == AuditFields().size() && r[0] == "Run key" && r[1] == name;
        }) == 1;
    EXPECT_TRUE(listedOnce) << name << " in\n" << csv;
  }

  // One item cannot go back: a program wrote its own value under its name meanwhile.
  SetRawString(kHKeyLocalMachine, kRunKey, kept, "C:\\other.exe");
  EXPECT_EQ(ExitCodeWithoutWindow(Start("-restore -quiet")), kExitNotAllRestored);
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunKey, tool), ProbeCommand("tool"));
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunKey, lines), ProbeCommand("lines"));
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunKey, kept), "C:\\other.exe");
  EXPECT_FALSE(RawValueExists(kHKeyLocalMachine, kRunKey, kSelfRunValue));
  const std::string fallback = ReadWholeFile(folder + "LocalMachine.REG");
  EXPECT_NE(fallback.find("Kept"), std::string::npos) << fallback;

  // Given back by hand, a second restore has nothing left to fail on.
  RemoveRawValue(kHKeyLocalMachine, kRunKey, kept);
  EXPECT_EQ(ExitCodeWithoutWindow(Start("-restore -quiet")), kExitActionDone);
  EXPECT_EQ(RawString(kHKeyLocalMachine, kRunKey, kept), ProbeCommand("kept"));
  EXPECT_EQ(ExitCode(Start("-restore -quiet -x")), kExitUnknownArgument);
}

// Typed at a command prompt, without a redirection, the list shows in the prompt's window: the
// program, a window program, reaches the console of the process that started it.
TEST_F(DeployEndToEndTest, TheListShowsInTheConsoleOfTheCommandPromptThatStartedIt) {
  SetRawString(kHKeyLocalMachine, kRunKey, "Deploy Console", ProbeCommand("console"));
  ASSERT_EQ(ExitCode(Start("-install -quiet")), kExitActionDone);
  ASSERT_EQ(ExitCode(Start("-pre")), 0);
  PseudoConsole console;
  ASSERT_TRUE(console.Open()) << ::GetLastError();
  driver::ChildProcess prompt;
  ASSERT_TRUE(console.Start("cmd /c \"\"" + program + "\" -list\"", folder, &prompt));
  const std::string record = "Run key,Deploy Console,";
  EXPECT_TRUE(driver::WaitUntil([&] { return console.Shown().find(record) != std::string::npos; },
                                kEndLimitMs))
      << console.Shown();
  EXPECT_EQ(ExitCode(prompt), 0);
}

}  // namespace
}  // namespace lw::test
