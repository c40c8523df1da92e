#include <gtest/gtest.h>

#include <QString>
#include <QVariant>
#include <optional>
#include <vector>

#include "agent/DefaultBrowser.h"
#include "agent/LibRegistry.h"
#include "tests/support/FakeMessageBoxes.h"
#include "tests/support/FakeRegistry.h"
#include "tests/support/TestPrinting.h"
#include "tests/support/Utf8Text.h"

namespace {

const QString kRunKey = QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run");
const QString kQuestion =
    QStringLiteral("Do you want CorvaneControl to start automatically\non Windows Startup?");
const QString kConfirmation = QStringLiteral("CorvaneControl will now startup automatically.");

RegistryValue textValue(const QString& text, quint32 type = registry::kRegSz) {
  return RegistryValue{type, text, 0};
}
RegistryValue numberValue(quint32 number) { return RegistryValue{registry::kRegDword, {}, number}; }

// The run-at-start-up flow over a registry in memory, with a program folder that has a blank in
// its name and a check box that records what it was last set to.
struct RunAtStartupRig {
  RunAtStartupRig() { registry.addKey(RegistryRoot::LocalMachine, kRunKey); }
  RunAtStartupRig(const RunAtStartupRig&) = delete;
  RunAtStartupRig& operator=(const RunAtStartupRig&) = delete;

  void registerAgent(const RegistryValue& value) {
    registry.put(RegistryRoot::LocalMachine, kRunKey, QStringLiteral("Corvane"), value);
  }
  [[nodiscard]] std::optional<RegistryValue> registration() const {
    return registry.get(RegistryRoot::LocalMachine, kRunKey, QStringLiteral("Corvane"));
  }

  FakeRegistry registry;
  FakeMessageBoxes boxes;
  std::optional<bool> checked;
  LibRegistry lib{registry, boxes, QStringLiteral("/opt/My Remote"),
                  [this](bool value) { checked = value; }};
};

class RunAtStartupTest : public testing::Test, protected RunAtStartupRig {};

// At start-up the box shows the registration as it is, and nothing is asked or written: any data
// counts, a value of a type the agent does not read counts as none.
TEST(RunAtStartup, AtStartUpTheBoxShowsTheRegistration) {
  struct Case {
    const char* name;
    std::optional<RegistryValue> value;
    bool checked;
  };
  const std::vector<Case> cases = {
      {"quoted path", textValue(QStringLiteral("\"/opt/My Remote/Corvane\"")), true},
      {"any text", textValue(QStringLiteral("x")), true},
      {"number", numberValue(0), true},
      {"empty text", textValue(QString()), false},
      {"expandable text", textValue(QStringLiteral("x"), registry::kRegExpandSz), false},
      {"none", std::nullopt, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunAtStartupRig rig;
    if (c.value) {
      rig.registerAgent(*c.value);
    }
    rig.lib.SyncRunAtStartup(true);
    EXPECT_EQ(rig.checked, c.checked);
    EXPECT_TRUE(rig.boxes.shown.empty());
    EXPECT_EQ(rig.registration().has_value(), c.value.has_value());
  }
}

TEST_F(RunAtStartupTest, ClickingTheCheckedBoxRemovesTheRegistrationWithoutAQuestion) {
  registerAgent(textValue(QStringLiteral("\"/opt/My Remote/Corvane\"")));
  lib.SyncRunAtStartup(false);
  EXPECT_FALSE(registration());
  EXPECT_EQ(checked, false);
  EXPECT_TRUE(boxes.shown.empty());
}

// Yes writes the program file's path, blanks and all, inside the two quotes, confirms and checks
// the box; No leaves the registry without the value and the box unchecked.
TEST_F(RunAtStartupTest, ClickingTheUncheckedBoxAsksAndRegistersOnYes) {
  boxes.answer = MessageBoxAnswer::Yes;
  lib.SyncRunAtStartup(false);
  const auto written = registration();
  ASSERT_TRUE(written);
  EXPECT_EQ(written->type, registry::kRegSz);
  EXPECT_EQ(written->text, QStringLiteral("\"/opt/My Remote/Corvane\""));
  EXPECT_EQ(checked, true);
  ASSERT_EQ(boxes.shown.size(), 2U);
  EXPECT_EQ(boxes.shown[0].icon, MessageBoxIcon::None);
  EXPECT_EQ(boxes.shown[0].buttons, MessageBoxButtons::YesNo);
  EXPECT_EQ(boxes.shown[0].text, kQuestion);
  EXPECT_EQ(boxes.shown[0].title, QStringLiteral("Run on Windows Startup?"));
  EXPECT_EQ(boxes.shown[1].icon, MessageBoxIcon::Information);
  EXPECT_EQ(boxes.shown[1].buttons, MessageBoxButtons::Ok);
  EXPECT_EQ(boxes.shown[1].text, kConfirmation);
  EXPECT_EQ(boxes.shown[1].title, QStringLiteral("Startup Automatically"));
}

TEST_F(RunAtStartupTest, ClickingTheUncheckedBoxAndAnsweringNoChangesNothing) {
  boxes.answer = MessageBoxAnswer::No;
  lib.SyncRunAtStartup(false);
  EXPECT_FALSE(registration());
  EXPECT_EQ(checked, false);
  ASSERT_EQ(boxes.shown.size(), 1U);
  EXPECT_EQ(boxes.shown[0].text, kQuestion);
}

// A registration that did not reach the registry, whether the write said so or not, is never
// confirmed, and the box stays unchecked: it shows what the next start will do.
TEST(RunAtStartup, ARegistrationThatWasNotKeptIsNotConfirmed) {
  struct Case {
    const char* name;
    void (*fail)(FakeRegistry&);
  };
  const Case cases[] = {
      {"write reported as done", [](FakeRegistry& r) { r.dropWrites = true; }},
      {"write refused", [](FakeRegistry& r) { r.failSet = registry::kAccessDenied; }},
      {"key not opened",
       [](FakeRegistry& r) {
         r.failOpen = registry::kAccessDenied;
         r.failCreate = registry::kAccessDenied;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunAtStartupRig rig;
    c.fail(rig.registry);
    rig.boxes.answer = MessageBoxAnswer::Yes;
    rig.lib.SyncRunAtStartup(false);
    EXPECT_EQ(rig.checked, false);
    ASSERT_EQ(rig.boxes.shown.size(), 1U);
    EXPECT_EQ(rig.boxes.shown[0].text, kQuestion);
  }
}

// A value that cannot be deleted is reported, and the box goes on showing it; a value that is
// already gone is no error.
TEST_F(RunAtStartupTest, ADeletionThatFailsIsReportedAndTheBoxStaysChecked) {
  registerAgent(textValue(QStringLiteral("\"/opt/My Remote/Corvane\"")));
  registry.failDelete = registry::kAccessDenied;
  lib.SyncRunAtStartup(false);
  EXPECT_TRUE(registration());
  EXPECT_EQ(checked, true);
  ASSERT_EQ(boxes.shown.size(), 1U);
  EXPECT_EQ(boxes.shown[0].icon, MessageBoxIcon::Exclamation);
  EXPECT_EQ(boxes.shown[0].buttons, MessageBoxButtons::Ok);
  EXPECT_EQ(boxes.shown[0].text, QStringLiteral("Access is denied. (DeleteValue)"));
  EXPECT_EQ(boxes.shown[0].title, QStringLiteral("Error 5"));

  boxes.shown.clear();
  registry.failDelete = registry::kSuccess;
  EXPECT_EQ(lib.DeleteRegValue(RegistryRoot::LocalMachine, kRunKey, QStringLiteral("Corvane")),
            registry::kSuccess);
  EXPECT_EQ(lib.DeleteRegValue(RegistryRoot::LocalMachine, kRunKey, QStringLiteral("Corvane")),
            registry::kFileNotFound);
  EXPECT_EQ(lib.DeleteRegValue(RegistryRoot::LocalMachine, QStringLiteral("SOFTWARE\\None"),
                               QStringLiteral("Corvane")),
            registry::kFileNotFound);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST(StartupEntryData, IsTheProgramFileOfTheFolderInQuotes) {
  struct Case {
    const char* folder;
    const char* data;
  };
  const Case cases[] = {
      {"/srv/Tools", "\"/srv/Tools/Corvane\""},
      {"/home/ann/My Remote", "\"/home/ann/My Remote/Corvane\""},
      {"/", "\"/Corvane\""},
  };
  FakeRegistry registry;
  FakeMessageBoxes boxes;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    const LibRegistry lib(registry, boxes, text(c.folder), [](bool) {});
    EXPECT_EQ(lib.StartupEntryData(), text(c.data));
  }
}

// The value reader's rules by type: texts and numbers come back, anything else leaves the
// variant as the caller passed it.
TEST(QueryRegValueEx, GivesTextsAndNumbersAndLeavesOtherTypesAlone) {
  const QString key = QStringLiteral("SOFTWARE\\Corvane");
  struct Case {
    const char* name;
    std::optional<RegistryValue> stored;
    bool keyOpen;
    RegistryStatus status;
    QVariant value;  // invalid: left untouched
  };
  const std::vector<Case> cases = {
      {"text", textValue(QStringLiteral("abc")), true, 0, QVariant(QStringLiteral("abc"))},
      {"empty text", textValue(QString()), true, 0, QVariant(QString())},
      {"number", numberValue(7), true, 0, QVariant(qint32{7})},
      {"number with its top bit", numberValue(0xFFFFFFFEu), true, 0, QVariant(qint32{-2})},
      {"expandable text", textValue(QStringLiteral("%PATH%"), registry::kRegExpandSz), true, -1,
       QVariant()},
      {"binary", RegistryValue{3, {}, 0}, true, -1, QVariant()},
      {"missing value", std::nullopt, true, registry::kFileNotFound, QVariant()},
      {"no key", textValue(QStringLiteral("abc")), false, registry::kInvalidHandle, QVariant()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeRegistry registry;
    registry.addKey(RegistryRoot::LocalMachine, key);
    if (c.stored) {
      registry.put(RegistryRoot::LocalMachine, key, QStringLiteral("Value"), *c.stored);
    }
    RegistryKey open;
    if (c.keyOpen) {
      ASSERT_EQ(registry.openKey(RegistryRoot::LocalMachine, key, registry::kKeyQueryValue, open),
                0);
    }
    QVariant value;
    EXPECT_EQ(LibRegistry::QueryRegValueEx(registry, open, QStringLiteral("Value"), value),
              c.status);
    EXPECT_EQ(value.isValid(), c.value.isValid());
    if (c.value.isValid()) {
      EXPECT_EQ(value.typeId(), c.value.typeId());
      EXPECT_EQ(value, c.value);
    }
  }
}

TEST(SetRegValueEx, WritesTextsAndNumbersOnly) {
  const QString key = QStringLiteral("SOFTWARE\\Corvane");
  FakeRegistry registry;
  RegistryKey open;
  ASSERT_EQ(registry.createKey(RegistryRoot::LocalMachine, key, registry::kKeyAllRights, open), 0);

  EXPECT_EQ(LibRegistry::SetRegValueEx(registry, open, QStringLiteral("Text"), registry::kRegSz,
                                       QVariant(42)),
            0);
  EXPECT_EQ(LibRegistry::SetRegValueEx(registry, open, QStringLiteral("Number"),
                                       registry::kRegDword, QVariant(-1)),
            0);
  EXPECT_EQ(LibRegistry::SetRegValueEx(registry, open, QStringLiteral("Other"),
                                       registry::kRegExpandSz, QVariant(QStringLiteral("x"))),
            0);

  const auto written = registry.get(RegistryRoot::LocalMachine, key, QStringLiteral("Text"));
  ASSERT_TRUE(written);
  EXPECT_EQ(written->type, registry::kRegSz);
  EXPECT_EQ(written->text, QStringLiteral("42"));
  const auto number = registry.get(RegistryRoot::LocalMachine, key, QStringLiteral("Number"));
  ASSERT_TRUE(number);
  EXPECT_EQ(number->type, registry::kRegDword);
  EXPECT_EQ(number->number, 0xFFFFFFFFu);
  EXPECT_FALSE(registry.get(RegistryRoot::LocalMachine, key, QStringLiteral("Other")));

  // A key opened only for reading takes no value.
  RegistryKey readOnly;
  ASSERT_EQ(registry.openKey(RegistryRoot::LocalMachine, key, registry::kKeyQueryValue, readOnly),
            0);
  EXPECT_EQ(LibRegistry::SetRegValueEx(registry, readOnly, QStringLiteral("Text"), registry::kRegSz,
                                       QVariant(QStringLiteral("y"))),
            registry::kAccessDenied);
}

// The browser type comes from the default value of "http\shell\open\command" alone.
TEST(DetectDefaultBrowser, NamesFirefoxOnlyWhenTheCommandTextDoes) {
  struct Case {
    const char* name;
    std::optional<RegistryValue> value;
    const char* type;
    const char* command;
  };
  const std::vector<Case> cases = {
      {"snap firefox", textValue(QStringLiteral("env X=1 /snap/bin/firefox %u")), "FIREFOX",
       "env X=1 /snap/bin/firefox %u"},
      {"any case", textValue(QStringLiteral("/opt/FireFox/run %u")), "FIREFOX",
       "/opt/FireFox/run %u"},
      {"another browser", textValue(QStringLiteral("chromium %U")), "INTERNET_EXPLORER",
       "chromium %U"},
      {"expandable text", textValue(QStringLiteral("firefox %u"), registry::kRegExpandSz),
       "INTERNET_EXPLORER", ""},
      {"number", numberValue(1), "INTERNET_EXPLORER", ""},
      {"no key", std::nullopt, "INTERNET_EXPLORER", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeRegistry registry;
    if (c.value) {
      registry.put(RegistryRoot::ClassesRoot, QStringLiteral("HTTP\\Shell\\Open\\Command"),
                   QString(), *c.value);
    }
    DefaultBrowser browser(registry);
    EXPECT_EQ(browser.DetectDefaultBrowser(), text(c.type));
    EXPECT_EQ(browser.Command(), text(c.command));
  }
}

}  // namespace
