// The options: loading from "options.ini" and the registry, validating and saving, on the
// simulation and on the real API.

#include "ui/Options.h"

#include <cstring>
#include <stdexcept>

#include "support/RawRegistry.h"
#include "support/RecordingDialogs.h"
#include "support/TestEnv.h"

namespace lw {
namespace {

using test::RawAccess;
using test::ReadWholeFile;
using test::RecordingDialogs;

const char kProgramKeyPath[] = "SOFTWARE\\Tallowmere\\Launchward";

struct RegValue {
  bool present = false;
  std::uint32_t type = 0;
  std::string data;
  bool operator==(const RegValue&) const = default;
};

void SetValue(const std::string& name, std::uint32_t type, const std::string& data) {
  HKey key = 0;
  ASSERT_EQ(Reg().CreateKeyEx(kHKeyLocalMachine, kProgramKeyPath, RawAccess(kKeyAllAccess), &key,
                              nullptr),
            kErrorSuccess);
  EXPECT_EQ(Reg().SetValueEx(key, name, type, data.data(), static_cast<std::uint32_t>(data.size())),
            kErrorSuccess);
  Reg().CloseKey(key);
}

void SetText(const std::string& name, const std::string& text) {
  SetValue(name, kRegSz, std::string(text.c_str(), text.size() + 1));
}

void SetNumber(const std::string& name, std::int32_t number) {
  std::string bytes(4, '\0');
  std::memcpy(bytes.data(), &number, 4);
  SetValue(name, kRegDword, bytes);
}

RegValue GetValue(const std::string& name) {
  RegValue value;
  HKey key = 0;
  if (Reg().OpenKeyEx(kHKeyLocalMachine, kProgramKeyPath, RawAccess(kKeyRead), &key) !=
      kErrorSuccess) {
    return value;
  }
  std::uint32_t size = 0;
  if (Reg().QueryValueEx(key, name, &value.type, nullptr, &size) == kErrorSuccess) {
    value.data.assign(size, '\0');
    value.present =
        Reg().QueryValueEx(key, name, &value.type, value.data.data(), &size) == kErrorSuccess;
  }
  Reg().CloseKey(key);
  return value;
}

RegValue Number(std::int32_t number) {
  RegValue value{true, kRegDword, std::string(4, '\0')};
  std::memcpy(value.data.data(), &number, 4);
  return value;
}

class OptionsTest : public test::PlatformTest {
 protected:
  static std::string IniPath() { return test::ExeFolder() + "options.ini"; }
  static void WriteIni(const std::string& content) {
    ASSERT_TRUE(Files().WriteFile(IniPath(), content));
  }
  static bool IniExists() { return Files().GetFileAttributes(IniPath()) != kInvalidFileAttributes; }
  static std::string IniValue(const std::string& name) {
    return Files().GetPrivateProfileString(name, name, "<absent>", IniPath());
  }

  RecordingDialogs dialogs_;
  Options options_;
};

TEST_F(OptionsTest, ControlsInCreationOrder) {
  std::vector<std::string> names;
  for (const OptionControl& control : options_.Controls()) names.push_back(control.name);
  EXPECT_EQ(names, (std::vector<std::string>{
                       "cbDisableMoveDialog", "cbShowStartupDialog", "cbDisableSysTrayNotification",
                       "cbAutoDisable", "txtIntInitPause", "txtIntRunkeyPause",
                       "txtIntStartupPause", "cbDisableAutoTune", "cbDisableBackgroundStart"}));
  EXPECT_EQ(Options::OptionsFilePath(), IniPath());
}

TEST_F(OptionsTest, WithoutAnyStoreEverythingIsClear) {
  options_.Load();
  for (const OptionControl& control : options_.Controls()) {
    EXPECT_FALSE(control.checked) << control.name;
    EXPECT_EQ(control.text, "") << control.name;
  }
  EXPECT_TRUE(dialogs_.Messages().empty());
}

TEST_F(OptionsTest, PauseEditsShowTheRegistryValuesNotTheFile) {
  WriteIni(
      "[txtIntInitPause]\r\ntxtIntInitPause=111\r\n[txtIntRunkeyPause]\r\n"
      "txtIntRunkeyPause=222\r\n");
  SetNumber("InitialPauseMilli", 5000);
  SetText("StartupDelayMilli", "2000");
  options_.Load();
  EXPECT_EQ(options_.InitPauseText(), "5000");
  EXPECT_EQ(options_.RunkeyPauseText(), "");  // no registry value: the file's text is dropped
  EXPECT_EQ(options_.StartupPauseText(), "2000");
  EXPECT_TRUE(dialogs_.Messages().empty());
}

TEST_F(OptionsTest, CheckBoxesReadTheFilesBooleans) {
  WriteIni(
      "garbage line\r\n[cbDisableMoveDialog]\r\ncbDisableMoveDialog=1\r\n"
      "[cbShowStartupDialog]\r\ncbShowStartupDialog=0\r\n"
      "[cbDisableSysTrayNotification]\r\ncbDisableSysTrayNotification=yes\r\n"
      "[cbAutoDisable]\r\ncbAutoDisable= 2 \r\n"
      "[cbDisableAutoTune]\r\nsomethingElse=1\r\n[unrelated\r\n");
  options_.Load();
  EXPECT_TRUE(options_.DisableMoveDialog());
  EXPECT_FALSE(options_.ShowStartupDialog());
  EXPECT_FALSE(options_.DisableSysTrayNotification());
  EXPECT_TRUE(options_.AutoDisable());
  EXPECT_FALSE(options_.DisableAutoTune());
}

TEST_F(OptionsTest, SaveWritesTheFileAndThePausesAsIntegers) {
  SetText("RunkeyDelayMilli", "1000");  // stored as text before
  options_.Load();
  options_.SetChecked(kShowStartupDialogOption, true);
  options_.SetChecked(kDisableAutoTuneOption, true);
  options_.SetText(kInitPauseOption, "5000");
  options_.SetText(kRunkeyPauseOption, "1500");
  options_.SetText(kStartupPauseOption, "-1");
  EXPECT_TRUE(options_.Save());
  EXPECT_TRUE(dialogs_.Messages().empty());
  EXPECT_EQ(GetValue("InitialPauseMilli"), Number(5000));
  EXPECT_EQ(GetValue("RunkeyDelayMilli"), Number(1500));
  EXPECT_EQ(GetValue("StartupDelayMilli"), Number(-1));
  EXPECT_EQ(IniValue("cbDisableMoveDialog"), "0");
  EXPECT_EQ(IniValue("cbShowStartupDialog"), "1");
  EXPECT_EQ(IniValue("cbDisableAutoTune"), "1");
  EXPECT_EQ(IniValue("txtIntRunkeyPause"), "1500");
  EXPECT_EQ(IniValue("txtIntStartupPause"), "-1");

  Options again;
  again.Load();
  for (std::size_t i = 0; i < again.Controls().size(); ++i) {
    EXPECT_EQ(again.Controls()[i].checked, options_.Controls()[i].checked);
    EXPECT_EQ(again.Controls()[i].text, options_.Controls()[i].text);
  }
}

TEST_F(OptionsTest, AcceptedWholeNumbers) {
  struct Case {
    const char* text;
    std::int32_t value;
  };
  const Case cases[] = {{"0", 0},
                        {"+7", 7},
                        {"-15", -15},
                        {" 42\t", 42},
                        {"007", 7},
                        {"2147483647", 2147483647},
                        {"-2147483648", -2147483647 - 1}};
  for (const Case& c : cases) {
    options_.SetText(kInitPauseOption, "1");
    options_.SetText(kRunkeyPauseOption, c.text);
    options_.SetText(kStartupPauseOption, "1");
    EXPECT_TRUE(options_.Save()) << c.text;
    EXPECT_EQ(GetValue("RunkeyDelayMilli"), Number(c.value)) << c.text;
  }
  EXPECT_TRUE(dialogs_.Messages().empty());
}

TEST_F(OptionsTest, PauseThatIsNoWholeNumberSavesNothing) {
  const char* const bad[] = {
      "abc", "1.5",  "",    "   ",   "2147483648", "-2147483649", "99999999999999999999",
      "$1F", "0x10", "1e3", "12 34", "+",          "-",           "--1",
      "1-",  "\xB9"};
  const char* const edits[] = {kInitPauseOption, kRunkeyPauseOption, kStartupPauseOption};
  SetText("InitialPauseMilli", "old");
  for (const char* text : bad) {
    for (const char* edit : edits) {
      dialogs_.Clear();
      options_.SetText(kInitPauseOption, "1");
      options_.SetText(kRunkeyPauseOption, "2");
      options_.SetText(kStartupPauseOption, "3");
      options_.SetChecked(kAutoDisableOption, true);
      options_.SetText(edit, text);
      EXPECT_FALSE(options_.Save()) << text;
      EXPECT_EQ(dialogs_.Messages(),
                std::vector<std::string>{"Millisecond fields must be numbers only"})
          << text;
      EXPECT_FALSE(IniExists()) << text;
      EXPECT_EQ(GetValue("InitialPauseMilli"), (RegValue{true, kRegSz, std::string("old", 4)}));
      EXPECT_FALSE(GetValue("RunkeyDelayMilli").present) << text;
      EXPECT_FALSE(GetValue("StartupDelayMilli").present) << text;
      EXPECT_EQ(options_.Text(edit), text);  // the dialog stays open with what was typed
    }
  }
}

TEST_F(OptionsTest, TextValueThatIsNoNumberLoadsButDoesNotSave) {
  SetText("RunkeyDelayMilli", "soon");
  options_.Load();
  EXPECT_EQ(options_.RunkeyPauseText(), "soon");
  EXPECT_TRUE(dialogs_.Messages().empty());
  EXPECT_FALSE(options_.Save());
  EXPECT_EQ(GetValue("RunkeyDelayMilli"), (RegValue{true, kRegSz, std::string("soon", 5)}));
}

TEST_F(OptionsTest, UnreadableRegistryValueEmptiesItsEditWithAMessage) {
  struct Case {
    std::string data;
    std::string error;
  };
  const Case cases[] = {
      {std::string("\x01\x02\x03\x04", 4), "Invalid data type for 'RunkeyDelayMilli'"},
      {std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8),
       "Failed to get data for 'RunkeyDelayMilli'"},
  };
  for (const Case& c : cases) {
    dialogs_.Clear();
    SetValue("RunkeyDelayMilli", kRegBinary, c.data);
    SetNumber("StartupDelayMilli", 2000);
    options_.SetText(kRunkeyPauseOption, "typed");
    options_.Load();
    EXPECT_EQ(options_.RunkeyPauseText(), "");
    EXPECT_EQ(options_.StartupPauseText(), "2000");  // loading went on
    EXPECT_EQ(
        dialogs_.Messages(),
        std::vector<std::string>{c.error + "\r\nUnable to read registry item: RunkeyDelayMilli"});
  }
}

TEST_F(OptionsTest, ForcedAutoTuneOffOutlivesReloads) {
  WriteIni("[cbDisableAutoTune]\r\ncbDisableAutoTune=0\r\n");
  options_.Load();
  EXPECT_FALSE(options_.DisableAutoTune());
  options_.ForceAutoTuneOff();
  EXPECT_TRUE(options_.DisableAutoTune());
  EXPECT_TRUE(options_.AutoTuneForcedOff());
  options_.Load();
  EXPECT_TRUE(options_.DisableAutoTune());
  options_.SetChecked(kDisableAutoTuneOption, false);
  options_.Load();
  EXPECT_TRUE(options_.DisableAutoTune());
  // A new run of the program starts without it.
  Options next;
  next.Load();
  EXPECT_FALSE(next.DisableAutoTune());
}

TEST_F(OptionsTest, CancelledChangesLastUntilTheNextLoad) {
  WriteIni("[cbAutoDisable]\r\ncbAutoDisable=1\r\n");
  SetNumber("StartupDelayMilli", 2000);
  options_.Load();
  options_.SetChecked(kAutoDisableOption, false);
  options_.SetText(kStartupPauseOption, "9");
  // Cancel: nothing is saved, the controls keep what the user typed ...
  EXPECT_FALSE(options_.AutoDisable());
  EXPECT_EQ(options_.StartupPauseText(), "9");
  // ... until the dialog is shown again.
  options_.Load();
  EXPECT_TRUE(options_.AutoDisable());
  EXPECT_EQ(options_.StartupPauseText(), "2000");
}

TEST_F(OptionsTest, AccessorsKnowTheControlsAndTheirKinds) {
  EXPECT_THROW(options_.IsChecked(kInitPauseOption), std::logic_error);
  EXPECT_THROW(options_.Text(kAutoDisableOption), std::logic_error);
  EXPECT_THROW(options_.SetChecked("cbNoSuchBox", true), std::logic_error);
  options_.SetText(kInitPauseOption, "12");
  EXPECT_EQ(options_.Text(kInitPauseOption), "12");
}

TEST_F(OptionsTest, ProcessWideOptionsAreLoadedWhenCreated) {
  WriteIni("[cbAutoDisable]\r\ncbAutoDisable=1\r\n");
  EXPECT_THROW(SharedOptions(), std::logic_error);
  CreateOptions();
  EXPECT_TRUE(SharedOptions().AutoDisable());
  FreeOptions();
  EXPECT_THROW(SharedOptions(), std::logic_error);
}

}  // namespace
}  // namespace lw
