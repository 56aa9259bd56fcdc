// Registry where only the simulation can look: the handles left open after every operation
// (error paths included), writes that fail inside an open key, and values that another
// program changes while they are read.

#include <memory>
#include <string>
#include <vector>

#include "platform/ForwardingPlatform.h"
#include "store/SettingsStore.h"
#include "support/RawRegistry.h"
#include "support/TestEnv.h"
#include "util/Error.h"

namespace lw::test {
namespace {

const std::string kBase = "\\SOFTWARE\\Tallowmere\\Test";

class RegistrySimTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    InitializeSettingsStore();
  }
  void TearDown() override { FinalizeSettingsStore(); }
  Registry reg;
};

TEST_F(RegistrySimTest, NoKeyStaysOpenAfterAnyOperation) {
  SetRawString(kHKeyLocalMachine, kBase, "Text", "x");
  SetRawDword(kHKeyLocalMachine, kBase, "Number", 1);
  SetRawString(kHKeyLocalMachine, kPriorityKey, "Wrong", "x");
  SetRawString(kHKeyLocalMachine, kRunSortKey, "0", "A");
  SetRawDword(kHKeyLocalMachine, kRunSortKey, "SortIndex", 2);
  SetRawString(kHKeyLocalMachine, kStartupSortKey, "0", "C:\\s\\a.lnk");
  SetRawDword(kHKeyLocalMachine, kStartupSortKey, "SortIndex", 1);
  std::vector<std::string> list;
  std::int32_t number = 0;
  std::string text;
  const struct {
    const char* title;
    std::function<void()> action;
  } operations[] = {
      {"PutString", [&] { reg.PutString(kBase, true, "v", "x"); }},
      {"PutString refused", [&] { reg.PutString(kBase + "\\No", false, "v", "x"); }},
      {"PutInteger", [&] { reg.PutInteger(kBase, true, "n", 1); }},
      {"GetString", [&] { reg.GetString(kBase, "Text"); }},
      {"GetString of an integer", [&] { reg.GetString(kBase, "Number"); }},
      {"GetInteger of a string", [&] { reg.GetInteger(kBase, "Text"); }},
      {"GetIntegerIfPresent", [&] { reg.GetIntegerIfPresent(kBase, "Number", number); }},
      {"GetStringIfPresent", [&] { reg.GetStringIfPresent(kBase, "Number", text); }},
      {"TakeString of an integer", [&] { reg.TakeString(kBase, "Number"); }},
      {"TakeString", [&] { reg.TakeString(kBase, "Text"); }},
      {"RemoveValue", [&] { reg.RemoveValue(kBase, "n"); }},
      {"ValueExistsAt", [&] { reg.ValueExistsAt(kHKeyLocalMachine, kBase, "v"); }},
      {"ListValueNames", [&] { reg.ListValueNames(kBase, list); }},
      {"ListKeyNames", [&] { reg.ListKeyNames("\\SOFTWARE", list); }},
      {"RecreateSubKey", [&] { reg.RecreateSubKey("\\SOFTWARE\\Tallowmere", "Other"); }},
      {"GetIntegerOrCreateAt of a string",
       [&] { reg.GetIntegerOrCreateAt(kHKeyLocalMachine, kPriorityKey, "Wrong", 32); }},
      {"GetPriority", [] { GetPriority("A", 32); }},
      {"GetRunItemState", [] { GetRunItemState("A", ""); }},
      {"GetStartupItemState", [] { GetStartupItemState("a.lnk"); }},
      {"GetRunSortCommand", [] { GetRunSortCommand(0); }},
      {"AppendSortEntry", [] { AppendSortEntry(kRunSortName, "B"); }},
      {"SaveSortOrder",
       [] {
         SaveSortOrder(kStartupSortName, {"a", "b"});
       }},
      {"UpdateAutoTune", [] { UpdateAutoTune(SharedRegistry(), "A", 10); }},
      {"SaveCPUStats", [] { SaveCPUStats(); }},
      {"LoadUserHive of nothing", [&] { reg.LoadUserHive("nobody", ScratchFolder()); }},
      {"UnloadUserHive of nothing", [&] { reg.UnloadUserHive(); }},
  };
  for (const auto& operation : operations) {
    SCOPED_TRACE(operation.title);
    ErrorOf(operation.action);
    EXPECT_EQ(Sim().OpenKeyCount(), 0);
    EXPECT_EQ(reg.CurrentKey(), 0u);
  }
}

TEST_F(RegistrySimTest, FailuresInsideAnOpenKeyRaiseAndCloseIt) {
  reg.PutString(kBase, true, "v", "x");
  const struct {
    const char* title;
    std::function<void()> action;
    std::string error;
  } cases[] = {
      {"string write", [&] { reg.PutString(kBase, true, "v", "y"); }, "Failed to set data for 'v'"},
      {"integer write", [&] { reg.PutInteger(kBase, true, "n", 1); }, "Failed to set data for 'n'"},
      {"priority created on first read", [] { GetPriority("Item", 32); },
       "Failed to set data for 'Item'"},
      {"sub-key re-created", [&] { reg.RecreateSubKey(kBase, "Fresh"); },
       "Failed to create key Fresh"},
      {"nested key created", [&] { reg.PutString(kBase + "\\A\\B", true, "v", "x"); },
       "Unable to open : \\SOFTWARE\\Tallowmere\\Test\\A\\B"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    SetRawDword(kHKeyLocalMachine, kPriorityKey, "Other", 1);  // the key exists already
    Sim().FailChange(Sim().ChangeCount() + 1);
    EXPECT_EQ(ErrorOf(c.action), c.error);
    EXPECT_EQ(Sim().OpenKeyCount(), 0);
    Sim().FailChange(0);
  }
  EXPECT_EQ(RawString(kHKeyLocalMachine, kBase, "v"), "x");
  EXPECT_FALSE(RawKeyExists(kHKeyLocalMachine, kBase + "\\Fresh"));
}

TEST_F(RegistrySimTest, DeleteKeyNeverTakesARoot) {
  reg.PutString(kBase, true, "v", "x");
  const std::string before = DumpTree(kHKeyLocalMachine, "SOFTWARE");
  reg.SetRootKey(kHKeyLocalMachine);
  EXPECT_FALSE(reg.DeleteKey("\\"));
  EXPECT_FALSE(reg.DeleteKey(""));
  EXPECT_EQ(DumpTree(kHKeyLocalMachine, "SOFTWARE"), before);
}

// A registry that lets another program rewrite one value just before each read of its data,
// and counts the flushes.
class RewritingRegistry : public ForwardingRegistry {
 public:
  RewritingRegistry(IRegistry& inner, std::function<std::string(std::uint32_t bufferSize)> next)
      : ForwardingRegistry(inner), next_(std::move(next)) {}

  long QueryValueEx(HKey key, const std::string& name, std::uint32_t* type, void* data,
                    std::uint32_t* size) override {
    if (data != nullptr && name == "Moving") {
      HKey writer = 0;
      inner_.OpenKeyEx(kHKeyLocalMachine, SeamPath(kBase), kKeyAllAccess, &writer);
      std::string text = next_(*size);
      inner_.SetValueEx(writer, name, kRegSz, text.c_str(),
                        static_cast<std::uint32_t>(text.size() + 1));
      inner_.CloseKey(writer);
    }
    return inner_.QueryValueEx(key, name, type, data, size);
  }
  long FlushKey(HKey key) override {
    ++flushes;
    return inner_.FlushKey(key);
  }

  int flushes = 0;

 private:
  std::function<std::string(std::uint32_t)> next_;
};

class RewritingPlatform : public IPlatform {
 public:
  explicit RewritingPlatform(std::function<std::string(std::uint32_t)> next)
      : registry_(sim_.Registry(), std::move(next)) {}
  IRegistry& Registry() override { return registry_; }
  IToken& Token() override { return sim_.Token(); }
  IFileSystem& Files() override { return sim_.Files(); }
  ISystem& System() override { return sim_.System(); }
  IShell& Shell() override { return sim_.Shell(); }
  ITaskScheduler& Tasks() override { return sim_.Tasks(); }
  SimPlatform& Inner() { return sim_; }
  RewritingRegistry& Watched() { return registry_; }

 private:
  SimPlatform sim_;
  RewritingRegistry registry_;
};

TEST(RegistryChangingValueTest, AValueThatChangesSizeWhileReadIsReadWholeOrRefused) {
  const std::string longer(100000, 'L');
  const struct {
    const char* title;
    std::function<std::string(std::uint32_t)> next;
    std::string expected;
  } cases[] = {
      {"grows once", [&](std::uint32_t) { return longer; }, "=" + longer},
      {"shrinks once", [](std::uint32_t) { return std::string("short"); }, "=short"},
      {"outgrows every buffer",
       [](std::uint32_t bufferSize) { return std::string(bufferSize + 10, 'G'); },
       "!Failed to get data for 'Moving'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    auto platform = std::make_unique<RewritingPlatform>(c.next);
    RewritingPlatform* current = platform.get();
    InstallPlatform(std::move(platform));
    SetRawString(kHKeyLocalMachine, kBase, "Moving", "original text of some length");
    Registry reg;
    std::string result;
    try {
      result = "=" + reg.GetString(kBase, "Moving");
    } catch (const Error& error) {
      result = std::string("!") + error.what();
    }
    EXPECT_EQ(result, c.expected);
    EXPECT_EQ(current->Inner().OpenKeyCount(), 0);
  }
  ResetPlatform();
}

// A key opened for reading is closed without a flush (a flush writes the whole hive out); a
// key that was written to is flushed before it is closed.
TEST(RegistryFlushTest, OnlyKeysOpenedForWritingAreFlushed) {
  auto platform = std::make_unique<RewritingPlatform>([](std::uint32_t) { return std::string(); });
  RewritingPlatform* current = platform.get();
  InstallPlatform(std::move(platform));
  Registry reg;
  reg.PutString(kBase, true, "Value", "text");
  EXPECT_EQ(current->Watched().flushes, 1);
  EXPECT_EQ(reg.GetString(kBase, "Value"), "text");
  EXPECT_FALSE(reg.ValueExistsAt(kHKeyLocalMachine, kBase, "Other"));
  EXPECT_EQ(current->Watched().flushes, 1);
  ResetPlatform();
}

}  // namespace
}  // namespace lw::test
