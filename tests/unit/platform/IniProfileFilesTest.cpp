#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <csignal>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "platform/linux/IniProfileFiles.h"
#include "tests/support/LockedFolder.h"
#include "tests/support/TestPrinting.h"

using namespace std::literals;

namespace {

const QString kFallback = QStringLiteral("<fallback>");

QByteArray bytesOf(std::string_view text) {
  return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

// A settings file in a folder of its own, so that stray temporary files would show.
class IniProfileFilesTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

  QString path() const { return dir_.filePath(QStringLiteral("config.ini")); }

  void writeFile(const QByteArray& bytes) const {
    QFile file(path());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
  }

  std::optional<QByteArray> fileBytes() const {
    QFile file(path());
    if (!file.open(QIODevice::ReadOnly)) {
      return std::nullopt;
    }
    return file.readAll();
  }

  QStringList folderEntries() const {
    return QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
  }

  QTemporaryDir dir_;
  IniProfileFiles profiles_;
};

TEST_F(IniProfileFilesTest, ReadsFindTheFirstMatchingSectionAndKey) {
  struct Case {
    const char* name;
    std::string_view file;
    const char* section;
    const char* key;
    QString expected;
  };
  const Case cases[] = {
      {"plain", "[S]\r\nk=v\r\n", "S", "k", QStringLiteral("v")},
      {"blanks around names and value", "  [ S ]  \r\n\t k \t= v w \t\r\n", "S", "k",
       QStringLiteral("v w")},
      {"names in another case, no final line end", "[Buttons]\r\nApp_A=x", "bUTTONS", "APP_a",
       QStringLiteral("x")},
      {"blanks around the asked names", "[Buttons]\r\nApp_A=x\r\n", "  Buttons ", " App_A\t",
       QStringLiteral("x")},
      {"LF line ends", "[S]\nk=v\n", "S", "k", QStringLiteral("v")},
      {"stray CR before the line end", "[S]\r\r\nk=v\r\r\n", "S", "k", QStringLiteral("v")},
      {"text after the section's bracket", "[S] ; old\r\nk=v\r\n", "S", "k", QStringLiteral("v")},
      {"empty value", "[S]\r\nk=\r\n", "S", "k", QString()},
      {"one character", "[S]\r\nk=x\r\n", "S", "k", QStringLiteral("x")},
      {"value holding =", "[S]\r\nk=a=b\r\n", "S", "k", QStringLiteral("a=b")},
      {"double quotes keep the blanks inside", "[S]\r\nk= \" a \" \r\n", "S", "k",
       QStringLiteral(" a ")},
      {"single quotes", "[S]\r\nk='b'\r\n", "S", "k", QStringLiteral("b")},
      {"empty quotes", "[S]\r\nk=\"\"\r\n", "S", "k", QString()},
      {"quotes that do not match stay", "[S]\r\nk=\"a'\r\n", "S", "k", QStringLiteral("\"a'")},
      {"a lone quote stays", "[S]\r\nk=\"\r\n", "S", "k", QStringLiteral("\"")},
      {"quote only at the start stays", "[S]\r\nk=\"a\r\n", "S", "k", QStringLiteral("\"a")},
      {"first key of the section wins", "[S]\r\nk=1\r\nK=2\r\n", "S", "k", QStringLiteral("1")},
      {"only the first matching section counts", "[S]\r\na=1\r\n[s]\r\nk=2\r\n", "S", "k",
       kFallback},
      {"missing key", "[S]\r\na=1\r\n", "S", "k", kFallback},
      {"missing section", "[T]\r\nk=1\r\n", "S", "k", kFallback},
      {"key of the next section", "[S]\r\na=1\r\n[T]\r\nk=2\r\n", "S", "k", kFallback},
      {"key before any section", "k=1\r\n[S]\r\n", "S", "k", kFallback},
      {"comment is no key", "[S]\r\n;k=1\r\n  ; k=2\r\nk=3\r\n", "S", "k", QStringLiteral("3")},
      {"line without = is no key", "[S]\r\nk\r\nk=4\r\n", "S", "k", QStringLiteral("4")},
      {"bracket without its end is no section", "[S\r\nk=1\r\n[S]\r\nk=5\r\n", "S", "k",
       QStringLiteral("5")},
      {"NUL ends the value", "[S]\r\nk=ab\0cd\r\n"sv, "S", "k", QStringLiteral("ab")},
      {"code page text", "[S]\r\nk=caf\xE9 \x80\r\n", "S", "k", QStringLiteral(u"café €")},
      {"empty file", "", "S", "k", kFallback},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeFile(bytesOf(c.file));
    EXPECT_EQ(profiles_.readString(QString::fromUtf8(c.section), QString::fromUtf8(c.key),
                                   kFallback, path()),
              c.expected);
  }
}

TEST_F(IniProfileFilesTest, UnreadableFilesGiveTheFallback) {
  EXPECT_EQ(profiles_.readString("S", "k", kFallback, path()), kFallback) << "no file";

  ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("config.ini")));
  EXPECT_EQ(profiles_.readString("S", "k", kFallback, path()), kFallback) << "a folder";
}

TEST_F(IniProfileFilesTest, FileOverTheBoundReadsAsMissing) {
  for (const qint64 size : {IniProfileFiles::kMaxFileBytes, IniProfileFiles::kMaxFileBytes + 1}) {
    SCOPED_TRACE(size);
    QByteArray bytes("[S]\r\nk=v\r\n;");
    bytes.append(static_cast<qsizetype>(size) - bytes.size(), 'x');
    writeFile(bytes);
    EXPECT_EQ(profiles_.readString("S", "k", kFallback, path()),
              size <= IniProfileFiles::kMaxFileBytes ? QStringLiteral("v") : kFallback);
  }
}

TEST_F(IniProfileFilesTest, LongValuesAreCutToTheCallersBuffer) {
  for (const qsizetype length :
       {IniProfileFiles::kMaxValueChars - 1, IniProfileFiles::kMaxValueChars,
        IniProfileFiles::kMaxValueChars + 1, qsizetype{200000}}) {
    SCOPED_TRACE(length);
    writeFile("[S]\r\nk=" + QByteArray(length, 'v') + "\r\n");
    EXPECT_EQ(profiles_.readString("S", "k", kFallback, path()),
              QString(std::min(length, IniProfileFiles::kMaxValueChars), u'v'));
  }
}

TEST_F(IniProfileFilesTest, WritesCreateOrReplaceAndKeepEveryOtherLine) {
  struct Case {
    const char* name;
    std::optional<std::string_view> before;  // none: no file yet
    QString section;
    QString key;
    QString value;
    std::string_view after;
  };
  const Case cases[] = {
      {"creates the file", std::nullopt, "S", "k", "v", "[S]\r\nk=v\r\n"},
      {"creates an empty value", std::nullopt, "S", "k", "", "[S]\r\nk=\r\n"},
      {"names are written without blanks around them", std::nullopt, " S\t", "  k ", "v",
       "[S]\r\nk=v\r\n"},
      {"section added at the end", "; top\r\n[A]\r\na=1\r\n", "S", "k", "v",
       "; top\r\n[A]\r\na=1\r\n[S]\r\nk=v\r\n"},
      {"last line without line end gets one first", "[A]\r\na=1", "S", "k", "v",
       "[A]\r\na=1\r\n[S]\r\nk=v\r\n"},
      {"key added after the last key of its section",
       "[S]\r\na=1\r\n; about T\r\n\r\n[T]\r\nb=2\r\n", "S", "k", "v",
       "[S]\r\na=1\r\nk=v\r\n; about T\r\n\r\n[T]\r\nb=2\r\n"},
      {"key added to a section without keys", "[S]\n; none yet\n[T]\n", "S", "k", "v",
       "[S]\nk=v\r\n; none yet\n[T]\n"},
      {"key added after a section line that ends the file", "[S]", "S", "k", "v", "[S]\r\nk=v\r\n"},
      {"value replaced in place, spelling and line end kept",
       "[buttons]\n  App_A = old \n; keep\n[T]\r\nApp_A=t\r\n", "Buttons", "APP_A", "new",
       "[buttons]\n  App_A =new\n; keep\n[T]\r\nApp_A=t\r\n"},
      {"value emptied", "[S]\r\nk=v\r\n", "S", "k", "", "[S]\r\nk=\r\n"},
      {"last line without line end keeps none", "[S]\r\nk=old", "S", "k", "v", "[S]\r\nk=v"},
      {"first matching key replaced", "[S]\r\nk=1\r\nK=2\r\n", "S", "k", "v",
       "[S]\r\nk=v\r\nK=2\r\n"},
      {"first matching section gets the key", "[S]\r\na=1\r\n[S]\r\nk=2\r\n", "S", "k", "v",
       "[S]\r\na=1\r\nk=v\r\n[S]\r\nk=2\r\n"},
      {"comment and key before any section untouched", "k=1\r\n[S]\r\n;k=2\r\n", "S", "k", "v",
       "k=1\r\n[S]\r\nk=v\r\n;k=2\r\n"},
      {"other bytes kept as they are", "\xE9t\xE9\x81 junk\r\n[A]\n x = 1 \t\r\n[S]\r\nk=old\r\n",
       "S", "k", "v", "\xE9t\xE9\x81 junk\r\n[A]\n x = 1 \t\r\n[S]\r\nk=v\r\n"},
      {"value in the code page", std::nullopt, "S", "k", QStringLiteral(u"café € Ж"),
       "[S]\r\nk=caf\xE9 \x80 ?\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QFile::remove(path());
    if (c.before) {
      writeFile(bytesOf(*c.before));
    }
    EXPECT_TRUE(profiles_.writeString(c.section, c.key, c.value, path()));
    EXPECT_EQ(fileBytes(), bytesOf(c.after));
    EXPECT_EQ(folderEntries(), QStringList{QStringLiteral("config.ini")});
  }
}

TEST_F(IniProfileFilesTest, NamesOutsideTheCodePageMatchWhatWasStored) {
  ASSERT_TRUE(
      profiles_.writeString(QStringLiteral(u"Жарко"), QStringLiteral(u"ключ"), "1", path()));
  ASSERT_TRUE(
      profiles_.writeString(QStringLiteral(u"Жарко"), QStringLiteral(u"ключ"), "2", path()));
  EXPECT_EQ(fileBytes(), QByteArray("[?????]\r\n"
                                    "????"
                                    "=2\r\n"));
  EXPECT_EQ(
      profiles_.readString(QStringLiteral(u"Жарко"), QStringLiteral(u"ключ"), kFallback, path()),
      QStringLiteral("2"));
}

TEST_F(IniProfileFilesTest, WritesThatCannotReadBackAsWrittenAreRefused) {
  struct Case {
    const char* name;
    QString section;
    QString key;
    QString value;
  };
  const Case cases[] = {
      {"line end in the value", "S", "k", "x\r\n[Evil]"},
      {"LF in the value", "S", "k", "x\nother=1"},
      {"NUL in the value", "S", "k", QString(QStringLiteral("a") + QChar(0) + u'b')},
      {"line end in the key", "S", "k\nj", "v"},
      {"line end in the section", "S]\r\n[T", "k", "v"},
      {"empty key", "S", "  ", "v"},
      {"empty section", "", "k", "v"},
      {"= in the key", "S", "a=b", "v"},
      {"key read back as a comment", "S", ";k", "v"},
      {"key read back as a section", "S", "[k", "]"},
  };
  const QByteArray before("[S]\r\nk=1\r\n");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeFile(before);
    EXPECT_FALSE(profiles_.writeString(c.section, c.key, c.value, path()));
    EXPECT_EQ(fileBytes(), before);
  }
}

TEST_F(IniProfileFilesTest, FailedWritesLeaveTheOldFileWhole) {
  const QByteArray settings("[Configuration]\r\nRootDir=/srv/docs/\r\n");
  {
    SCOPED_TRACE("folder that does not exist");
    const QString elsewhere = dir_.filePath(QStringLiteral("gone/config.ini"));
    EXPECT_FALSE(profiles_.writeString("S", "k", "v", elsewhere));
    EXPECT_FALSE(QFile::exists(elsewhere));
  }
  {
    SCOPED_TRACE("a folder where the file should be");
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("config.ini")));
    EXPECT_FALSE(profiles_.writeString("S", "k", "v", path()));
    EXPECT_TRUE(QDir(path()).isEmpty());
    ASSERT_TRUE(QDir(path()).removeRecursively());
  }
  {
    SCOPED_TRACE("file over the bound");
    QByteArray huge = settings + ';';
    huge.append(static_cast<qsizetype>(IniProfileFiles::kMaxFileBytes) - huge.size() + 1, 'x');
    writeFile(huge);
    EXPECT_FALSE(profiles_.writeString("Configuration", "RootDir", "/new/", path()));
    EXPECT_EQ(fileBytes(), huge);
  }
  {
    SCOPED_TRACE("write that would pass the bound");
    writeFile(settings);
    const QString longValue(static_cast<qsizetype>(IniProfileFiles::kMaxFileBytes), u'v');
    EXPECT_FALSE(profiles_.writeString("Buttons", "App_A", longValue, path()));
    EXPECT_EQ(fileBytes(), settings);
  }
  EXPECT_EQ(folderEntries(), QStringList{QStringLiteral("config.ini")});
}

TEST_F(IniProfileFilesTest, WrittenValuesReadBack) {
  ASSERT_TRUE(profiles_.writeString("Configuration", "RootDir", "/srv/docs/", path()));
  ASSERT_TRUE(profiles_.writeString("Buttons", "App_A", "/usr/bin/gimp", path()));
  ASSERT_TRUE(profiles_.writeString("configuration", "rootdir", "/srv/other/", path()));
  EXPECT_EQ(profiles_.readString("CONFIGURATION", "RootDir", kFallback, path()),
            QStringLiteral("/srv/other/"));
  EXPECT_EQ(profiles_.readString("Buttons", "App_A", kFallback, path()),
            QStringLiteral("/usr/bin/gimp"));
  EXPECT_EQ(
      fileBytes(),
      QByteArray("[Configuration]\r\nRootDir=/srv/other/\r\n[Buttons]\r\nApp_A=/usr/bin/gimp\r\n"));
}

// ---------------------------------------------------------------------------------------------
// Folders that take no new file

enum class Outcome { Replaced, WrittenInPlace, Refused };

struct FolderCase {
  const char* name;
  FolderLock lock;
  bool fileThere;
  bool fileWritable;
  Outcome outcome;
};

void PrintTo(const FolderCase& c, std::ostream* os) { *os << c.name; }

class IniProfileFilesLockedFolderTest : public IniProfileFilesTest {
 protected:
  // Run as a user would: root would pass the folder's refusal.
  bool writeAsUser(const QString& value) {
    const WithoutRootOverride asUser;
    EXPECT_TRUE(asUser.active()) << "could not give up root's way past permission checks";
    return profiles_.writeString("s", "K", value, path());
  }

  LockedFolder folder_{dir_.path()};
};

class IniProfileFilesFolderTest : public IniProfileFilesLockedFolderTest,
                                  public testing::WithParamInterface<FolderCase> {};

TEST_P(IniProfileFilesFolderTest, AWritableFileIsWrittenWhereTheFolderTakesNoNewFile) {
  const FolderCase& c = GetParam();
  const QByteArray before("; kept\r\n[A]\r\na=1\r\n[S]\r\nk=a value longer than the new one\r\n");
  if (c.fileThere) {
    writeFile(before);
    if (!c.fileWritable) {
      ASSERT_TRUE(QFile::setPermissions(
          path(), QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    }
  }
  const std::optional<ino_t> inodeBefore = InodeOf(path());
  if (!folder_.lock(c.lock)) {
    ASSERT_EQ(c.lock, FolderLock::Immutable) << "the folder could not be locked";
    GTEST_SKIP() << "this file system or user cannot make a folder immutable";
  }

  const bool written = writeAsUser("v");

  const QStringList only = c.fileThere ? QStringList{QStringLiteral("config.ini")} : QStringList{};
  EXPECT_EQ(folderEntries(), only) << "no temporary file is left behind";
  if (c.outcome == Outcome::Refused) {
    EXPECT_FALSE(written);
    EXPECT_EQ(fileBytes(), c.fileThere ? std::optional(before) : std::nullopt);
    return;
  }
  EXPECT_TRUE(written);
  EXPECT_EQ(fileBytes(), QByteArray("; kept\r\n[A]\r\na=1\r\n[S]\r\nk=v\r\n"));
  EXPECT_EQ(profiles_.readString("S", "k", kFallback, path()), QStringLiteral("v"));
  EXPECT_EQ(InodeOf(path()) == inodeBefore, c.outcome == Outcome::WrittenInPlace)
      << "replaced by a rename only where the folder allows it";
}

const FolderCase kFolderCases[] = {
    {"WritableFolder", FolderLock::None, true, true, Outcome::Replaced},
    {"FolderWithoutWriteBits", FolderLock::NoWriteBits, true, true, Outcome::WrittenInPlace},
    {"ImmutableFolder", FolderLock::Immutable, true, true, Outcome::WrittenInPlace},
    {"FolderWithoutWriteBitsAndNoFile", FolderLock::NoWriteBits, false, false, Outcome::Refused},
    {"FolderAndFileWithoutWriteBits", FolderLock::NoWriteBits, true, false, Outcome::Refused},
};

INSTANTIATE_TEST_SUITE_P(Folders, IniProfileFilesFolderTest, testing::ValuesIn(kFolderCases),
                         [](const testing::TestParamInfo<FolderCase>& param) {
                           return std::string(param.param.name);
                         });

// The file may not grow past a few bytes while it is written in place: the failure reaches the
// caller (the file itself is cut short, the price of a folder that takes no new file).
TEST_F(IniProfileFilesLockedFolderTest, AWriteInPlaceThatFailsHalfWayIsReported) {
  writeFile("[S]\r\nk=1\r\n");
  ASSERT_TRUE(folder_.lock(FolderLock::NoWriteBits));

  bool limitSet = false;
  bool written = false;
  {
    // Nothing but the write runs under the limit: it holds for every file the process writes.
    const FileSizeLimit limit(16);
    limitSet = limit.active;
    written = limitSet && writeAsUser(QString(100, u'v'));
  }

  ASSERT_TRUE(limitSet) << "could not lower the file size limit";
  EXPECT_FALSE(written);
  EXPECT_EQ(folderEntries(), QStringList{QStringLiteral("config.ini")});
}

}  // namespace
