#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <optional>

#include "platform/DesktopEntryExec.h"
#include "tests/support/TestPrinting.h"

namespace {

struct Case {
  const char* name;
  const char16_t* exec;  // the value, its general escapes (\s, \\, …) already resolved
  QStringList targets;
  std::optional<QStringList> expected;
};

const QString kAddress = QStringLiteral("http://example.invalid/a?b=1&c=$HOME");

TEST(DesktopEntryExecTest, TakesAValueApartByTheRules) {
  const QString snapHint = QStringLiteral(
      "BAMF_DESKTOP_FILE_HINT=/var/lib/snapd/desktop/applications/firefox_firefox.desktop");
  const QStringList flatpak = {
      QStringLiteral("/usr/bin/flatpak"),    QStringLiteral("run"),
      QStringLiteral("--branch=stable"),     QStringLiteral("--arch=x86_64"),
      QStringLiteral("--command=firefox"),   QStringLiteral("--file-forwarding"),
      QStringLiteral("org.mozilla.firefox"), QStringLiteral("@@u")};
  const Case cases[] = {
      {"plain", u"firefox-esr %u", {kAddress}, QStringList{"firefox-esr", kAddress}},
      {"snap line behind env",
       u"env BAMF_DESKTOP_FILE_HINT=/var/lib/snapd/desktop/applications/firefox_firefox.desktop "
       u"/snap/bin/firefox %u",
       {kAddress},
       QStringList{"env", snapHint, "/snap/bin/firefox", kAddress}},
      {"flatpak markers stay arguments",
       u"/usr/bin/flatpak run --branch=stable --arch=x86_64 --command=firefox --file-forwarding "
       u"org.mozilla.firefox @@u %u @@",
       {kAddress},
       flatpak + QStringList{kAddress, "@@"}},
      {"flatpak without a target",
       u"/usr/bin/flatpak run --branch=stable --arch=x86_64 --command=firefox --file-forwarding "
       u"org.mozilla.firefox @@u %u @@",
       {},
       flatpak + QStringList{"@@"}},
      {"quoted program path with spaces",
       u"\"/opt/My Browser/run\" --new-window %u",
       {kAddress},
       QStringList{"/opt/My Browser/run", "--new-window", kAddress}},
      {"escapes inside quotes",
       uR"("/opt/say \"hi\"/run" "a\\b" "\$HOME" "\`id\`" "a;b|c>d")",
       {},
       QStringList{R"(/opt/say "hi"/run)", R"(a\b)", "$HOME", "`id`", "a;b|c>d"}},
      {"field codes are not expanded inside quotes",
       u"app \"%u\" \"100%%\" \"50%\"",
       {kAddress},
       QStringList{"app", "%u", "100%", "50%"}},
      {"list of targets, one argument each",
       u"chromium %U --flag",
       {"/tmp/a b.html", "http://example.invalid/"},
       QStringList{"chromium", "/tmp/a b.html", "http://example.invalid/", "--flag"}},
      {"single target takes the first",
       u"app %f",
       {"/tmp/one", "/tmp/two"},
       QStringList{"app", "/tmp/one"}},
      {"no targets", u"app %F --flag", {}, QStringList{"app", "--flag"}},
      {"target inside an argument",
       u"app --url=%u",
       {kAddress},
       QStringList{"app", "--url=" + kAddress}},
      {"target inside an argument, none given", u"app --url=%u", {}, QStringList{"app", "--url="}},
      {"percent signs", u"app 100%% %% a%%b", {}, QStringList{"app", "100%", "%", "a%b"}},
      {"program with a percent sign", u"my%%app", {}, QStringList{"my%app"}},
      {"other and deprecated field codes dropped",
       u"app %i %c %k %d %D %n %N %v %m x%dy",
       {kAddress},
       QStringList{"app", "xy"}},
      {"empty quoted argument", u"app \"\" x", {}, QStringList{"app", "", "x"}},
      {"runs of spaces", u"  app   a  ", {}, QStringList{"app", "a"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(desktopentryexec::arguments(QString::fromUtf16(c.exec), c.targets), c.expected);
  }
}

// Nothing half-understood is started.
TEST(DesktopEntryExecTest, RefusesValuesThatBreakTheRules) {
  const Case cases[] = {
      {"unclosed quote", u"\"/opt/My Browser/run --new-window %u", {kAddress}, std::nullopt},
      {"unknown field code", u"app %x", {kAddress}, std::nullopt},
      {"percent sign at the end", u"app 50%", {}, std::nullopt},
      {"percent sign before a space", u"app % x", {}, std::nullopt},
      {"field code as the program", u"%U browser", {kAddress}, std::nullopt},
      {"field code inside the program", u"app%u", {kAddress}, std::nullopt},
      {"assignment as the program", u"VAR=1 app %u", {kAddress}, std::nullopt},
      {"quoted assignment as the program", u"\"VAR=1\" app", {}, std::nullopt},
      {"empty program", u"\"\" app", {}, std::nullopt},
      {"empty value", u"", {}, std::nullopt},
      {"blank value", u"   ", {}, std::nullopt},
      {"bare dollar sign", u"app $HOME", {}, std::nullopt},
      {"bare semicolon", u"app a;rm", {}, std::nullopt},
      {"bare single quotes", u"sh -c 'echo hi'", {}, std::nullopt},
      {"bare backslash", u"app a\\ b", {}, std::nullopt},
      {"bare tab", u"app\targ", {}, std::nullopt},
      {"bare newline", u"app\narg", {}, std::nullopt},
      {"quote inside an argument", u"app a\"b c\"", {}, std::nullopt},
      {"text after a closing quote", u"app \"a\"b", {}, std::nullopt},
      {"unknown escape inside quotes", u"app \"a\\b\"", {}, std::nullopt},
      {"unescaped dollar sign inside quotes", u"sh -c \"echo $HOME\"", {}, std::nullopt},
      {"unescaped backtick inside quotes", u"app \"`id`\"", {}, std::nullopt},
      {"targets asked for twice", u"app %u %U", {kAddress}, std::nullopt},
      {"list of targets inside an argument", u"app --files=%F", {kAddress}, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(desktopentryexec::arguments(QString::fromUtf16(c.exec), c.targets), c.expected);
  }
}

}  // namespace
