#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <optional>
#include <string>
#include <string_view>

#include "platform/linux/PlaylistFiles.h"
#include "tests/support/TestPrinting.h"
#include "tests/support/Utf8Text.h"

using namespace playlistfiles;

namespace {

QByteArray bytesOf(std::string_view text) {
  return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

// Playlist files in a library folder of their own. In expected entries "@" stands for that folder.
class PlaylistFilesTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

  QString folder() const { return dir_.path(); }

  QString write(const QString& name, const QByteArray& bytes) const {
    const QString path = dir_.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << name.toStdString();
    EXPECT_EQ(file.write(bytes), bytes.size());
    return path;
  }

  std::optional<PlaylistFile> read(const QString& name, const QByteArray& bytes) const {
    return readPlaylistFile(write(name, bytes));
  }

  QStringList inFolder(const QStringList& entries) const {
    QStringList paths;
    for (const QString& entry : entries) {
      paths << QDir::cleanPath(QString(entry).replace(u'@', folder()));
    }
    return paths;
  }

  QTemporaryDir dir_;
};

struct ReadCase {
  const char* name;
  const char* file;
  std::string_view bytes;
  const char* type;
  const char* title;
  QStringList entries;
};

TEST_F(PlaylistFilesTest, ReadsTheTitleAndTheLocalEntriesOfEachFormat) {
  const ReadCase cases[] = {
      {"wpl as the player writes it", "Party.wpl",
       "<?wpl version=\"1.0\"?>\r\n<smil>\r\n<head>\r\n<meta name=\"Generator\" content=\"x\"/>\r\n"
       "<title>Friday &amp; Saturday</title>\r\n</head>\r\n<body>\r\n<seq>\r\n"
       "<media src=\"..\\Albums\\One.mp3\" tid=\"{A}\"/>\r\n"
       "<media src=\"Two &amp; Three.mp3\"/>\r\n"
       "<media src=\"/srv/music/./Four.ogg\"/>\r\n"
       "<media src=\"http://radio.example/live\"/>\r\n"
       "<media src=\"Caf&#233; &#xE9;t&#xe9;.flac\"/>\r\n"
       "</seq>\r\n</body>\r\n</smil>\r\n",
       "WPL", "Friday & Saturday",
       texts(
           {"@/../Albums/One.mp3", "@/Two & Three.mp3", "/srv/music/Four.ogg", "@/Café été.flac"})},
      {"wpl in another case, unquoted and single-quoted values", "x.WPL",
       "<SMIL><HEAD><TITLE>Loud</TITLE></HEAD><BODY><SEQ><MEDIA SRC=a.mp3/>"
       "<Media Src='b c.mp3'></Media><media src=sub/d.mp3 ></SEQ></BODY></SMIL>",
       "WPL", "Loud", texts({"@/a.mp3", "@/b c.mp3", "@/sub/d.mp3"})},
      {"a title outside smil/head is not the playlist's", "Named By File.wpl",
       "<smil><body><title>Body</title><seq><media src=\"a.mp3\"/></seq></body></smil>", "WPL",
       "Named By File", texts({"@/a.mp3"})},
      {"asx: its own title, the first local REF of each ENTRY, no ENTRYREF", "Evening.asx",
       "<ASX version=\"3.0\">\n"
       "<ENTRY><TITLE>Track title</TITLE><REF HREF=\"one.wma\"/><REF HREF=\"one-b.wma\"/></ENTRY>\n"
       "<ENTRY><REF HREF=\"mms://media.example/two\"/><REF HREF=\"two-local.wma\"/></ENTRY>\n"
       "<ENTRY><REF HREF=\"http://only.example/stream\"/></ENTRY>\n"
       "<ENTRYREF HREF=\"other.asx\"/>\n"
       "<REF HREF=\"outside-entry.wma\"/>\n"
       "<TITLE>  Evening \t Mix\n</TITLE>\n"
       "</ASX>\n",
       "ASX", "Evening \t Mix", texts({"@/one.wma", "@/two-local.wma"})},
      {"asx as hand-written files come: any case, any quotes, bare &, no end tags", "hand.wax",
       "<asx version=3.0>\n<Title>Rock & Roll</titLE>\n"
       "<entry><ref href=rock&roll.wma>\n"
       "<Entry><Ref HREF='say \"hi\".wma'/></Entry>\n"
       "<eNtRy><rEf hReF = \"sub\\dir\\x.wma\" ></asx>",
       "WAX", "Rock & Roll", texts({"@/rock&roll.wma", "@/say \"hi\".wma", "@/sub/dir/x.wma"})},
      {"wvx, CDATA and comments in the title", "clips.wvx",
       "<!-- made by hand --><asx><title><![CDATA[Clips <1>]]><!-- x --> &lt;2&gt;</title>"
       "<entry><ref href=\"a.wmv\"/></entry></asx>",
       "WVX", "Clips <1> <2>", texts({"@/a.wmv"})},
      {"file URLs", "urls.asx",
       "<asx>"
       "<entry><ref href=\"file:///home/u/My%20Music/caf%C3%A9.mp3\"/></entry>"
       "<entry><ref href=\"FILE://localhost/tmp/a%2Fb.mp3\"/></entry>"
       "<entry><ref href=\"file:/tmp/single-slash.mp3\"/></entry>"
       "<entry><ref href=\"file:///tmp/%E9t%E9.mp3\"/></entry>"
       "<entry><ref href=\"file://server/share/remote.mp3\"/></entry>"
       "<entry><ref href=\"file:///C:/Music/windows.mp3\"/></entry>"
       "<entry><ref href=\"file:///tmp/Track%20%231.mp3\"/></entry>"
       "</asx>",
       "ASX", "urls",
       texts({"/home/u/My Music/café.mp3", "/tmp/a/b.mp3", "/tmp/single-slash.mp3", "/tmp/été.mp3",
              "/tmp/Track #1.mp3"})},
      {"other schemes, Windows drives and shares are no local files", "schemes.m3u",
       "http://a.example/x.mp3\nhttps://a.example/y.mp3\nmms://a.example/z\n"
       "rtsp://a.example/s\nC:\\Music\\win.mp3\nc:/music/win.mp3\n\\\\server\\share\\n.mp3\n"
       "./Live: 1999.mp3\nkept.mp3\n",
       "M3U", "schemes", texts({"@/Live: 1999.mp3", "@/kept.mp3"})},
      {"m3u: BOM, directives, comments, every line end, blanks", "Road.m3u",
       "\xEF\xBB\xBF#EXTM3U\r\n#PLAYLIST:  Road  Trip \r\n#EXTINF:123,Artist - Song\r\n"
       "a.mp3\r\n\r\n  b.mp3  \n# a comment\nc.mp3\rd.mp3\r\n/abs/e.mp3\n#PLAYLIST:Second\n"
       "Sub\\f.mp3",
       "M3U", "Road  Trip",
       texts({"@/a.mp3", "@/b.mp3", "@/c.mp3", "@/d.mp3", "/abs/e.mp3", "@/Sub/f.mp3"})},
      {"m3u8 is M3U", "Mix.M3U8", "#EXTM3U\n#EXTINF:1,Café\nCafé.mp3\n", "M3U", "Mix",
       texts({"@/Café.mp3"})},
      {"an empty playlist is still a playlist",
       "Empty.wpl",
       "<smil><head/><body/></smil>",
       "WPL",
       "Empty",
       {}},
      {"a blank own title gives the file's name without its extension", "My.Best.asx",
       "<asx><title> \t </title><entry><ref href=\"a.wma\"/></entry></asx>", "ASX", "My.Best",
       texts({"@/a.wma"})},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto playlist = read(text(c.file), bytesOf(c.bytes));
    ASSERT_TRUE(playlist.has_value());
    EXPECT_EQ(playlist->type, text(c.type));
    EXPECT_EQ(playlist->title, text(c.title));
    EXPECT_EQ(playlist->entries, inFolder(c.entries));
  }
}

// Only .m3u guesses its code page; .m3u8 is UTF-8 by its name, and the markup formats read like
// .m3u.
TEST_F(PlaylistFilesTest, ReadsUtf8WhereValidElseWindows1252) {
  const struct {
    const char* name;
    const char* file;
    std::string_view bytes;
    const char* entry;
  } cases[] = {
      {"m3u in UTF-8", "u.m3u", "Caf\xC3\xA9 \xE2\x82\xAC.mp3\n", "Café €.mp3"},
      {"m3u in Windows-1252", "w.m3u", "Caf\xE9 \x80.mp3\n", "Café €.mp3"},
      {"m3u in Latin-1", "l.m3u", "\xC0 la carte.mp3\n", "À la carte.mp3"},
      {"m3u cut inside its last character", "cut.m3u", "Caf\xC3\xA9.mp3\n\xC3", "Café.mp3"},
      {"m3u8 stays UTF-8", "w.m3u8", "Caf\xE9.mp3\n", "Caf\xEF\xBF\xBD.mp3"},
      {"asx in Windows-1252", "w.asx", "<asx><entry><ref href=\"Caf\xE9.wma\"/></entry></asx>",
       "Café.wma"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto playlist = read(text(c.file), bytesOf(c.bytes));
    ASSERT_TRUE(playlist.has_value());
    EXPECT_EQ(playlist->entries, QStringList{folder() + u'/' + text(c.entry)});
  }
}

TEST_F(PlaylistFilesTest, SkipsWhatIsNoPlaylistOfItsFormat) {
  const QByteArray nulInFirstKb = QByteArray("<asx><entry><ref href=\"a.wma\"/>") +
                                  QByteArray(900, ' ') + QByteArray(1, '\0') + "</entry></asx>";
  const struct {
    const char* name;
    const char* file;
    QByteArray bytes;
  } cases[] = {
      {"an HTML page saved as ASX", "page.asx",
       "<html><body><a href=\"x.wma\">x</a></body></html>"},
      {"the root after another element", "late.asx", "<x/><asx><entry><ref href=a.wma/></asx>"},
      {"WPL markup in an ASX file", "wrong.asx", "<smil><body><seq/></body></smil>"},
      {"no markup at all", "plain.wpl", "just some text\n"},
      {"an empty file of a markup format", "empty.wpl", ""},
      {"a NUL in the first KB", "nul.asx", nulInFirstKb},
      {"a binary M3U", "audio.m3u", QByteArray("ID3\x03\x00\x00\x00", 7) + "track.mp3\n"},
      {"not a playlist's extension", "list.txt", "a.mp3\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(read(text(c.file), c.bytes).has_value());
  }

  // Past the first KB a NUL is damage, not a sign of a binary file.
  const QByteArray lateNul = QByteArray(1100, '\n') + QByteArray(1, '\0') + "\nafter.mp3\n";
  const auto late = read(QStringLiteral("late-nul.m3u"), lateNul);
  ASSERT_TRUE(late.has_value());
  EXPECT_EQ(late->entries, QStringList{folder() + QStringLiteral("/after.mp3")});

  // A folder or a missing file named like a playlist.
  ASSERT_TRUE(QDir(folder()).mkdir(QStringLiteral("folder.m3u")));
  EXPECT_FALSE(readPlaylistFile(dir_.filePath(QStringLiteral("folder.m3u"))).has_value());
  EXPECT_FALSE(readPlaylistFile(dir_.filePath(QStringLiteral("missing.m3u"))).has_value());
}

TEST_F(PlaylistFilesTest, ACutFileGivesWhatWasWholeBeforeTheCut) {
  const struct {
    const char* name;
    const char* file;
    std::string_view bytes;
    const char* title;
    QStringList entries;
  } cases[] = {
      {"inside a media tag", "cut.wpl",
       "<smil><head><title>T</title></head><body><seq><media src=\"a.mp3\"/><media src=\"b.m", "T",
       texts({"@/a.mp3"})},
      {"inside a quoted value", "cut.asx",
       "<asx><title>T</title><entry><ref href=\"a.wma\"/></entry><entry><ref href=\"b.wma", "T",
       texts({"@/a.wma"})},
      {"after a start tag", "cut.wax", "<asx><entry><ref href=a.wma><entry><ref href=b.wma>", "cut",
       texts({"@/a.wma", "@/b.wma"})},
      {"inside a comment", "comment.asx",
       "<asx><entry><ref href=a.wma></entry><!-- <entry><ref href=b.wma>", "comment",
       texts({"@/a.wma"})},
      {"inside the title", "title.asx", "<asx><title>Half a ti", "Half a ti", {}},
      {"an m3u inside its last line", "cut.m3u", "a.mp3\nb.m", "cut", texts({"@/a.mp3", "@/b.m"})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto playlist = read(text(c.file), bytesOf(c.bytes));
    ASSERT_TRUE(playlist.has_value());
    EXPECT_EQ(playlist->title, text(c.title));
    EXPECT_EQ(playlist->entries, inFolder(c.entries));
  }
}

// Elements down to kMaxDepth are read; deeper ones are passed over, however deep they go.
TEST_F(PlaylistFilesTest, LooksNoDeeperThanTheDepthLimit) {
  const auto nested = [](int levels, const char* open, const char* close, const char* inner) {
    std::string out;
    for (int i = 0; i < levels; ++i) {
      out += open;
    }
    out += inner;
    for (int i = 0; i < levels; ++i) {
      out += close;
    }
    return out;
  };
  // smil and body are depths 1 and 2 and every seq one more: a media inside n seqs is at n + 3.
  const std::string atLimit = "<smil><body>" +
                              nested(kMaxDepth - 3, "<seq>", "</seq>", "<media src=at.mp3/>") +
                              "</body></smil>";
  const std::string pastLimit = "<smil><body>" +
                                nested(kMaxDepth - 2, "<seq>", "</seq>", "<media src=past.mp3/>") +
                                "<media src=after.mp3/></body></smil>";
  const std::string veryDeep = "<smil><head><title>Deep</title></head><body>" +
                               nested(100000, "<seq>", "</seq>", "<media src=deep.mp3/>") +
                               "<media src=after.mp3/></body></smil>";
  const std::string neverClosed =
      "<asx><title>Open</title>" + nested(100000, "<x>", "", "<entry><ref href=deep.wma>");

  const auto at = read(QStringLiteral("at.wpl"), bytesOf(atLimit));
  ASSERT_TRUE(at.has_value());
  EXPECT_EQ(at->entries, inFolder(texts({"@/at.mp3"})));

  const auto past = read(QStringLiteral("past.wpl"), bytesOf(pastLimit));
  ASSERT_TRUE(past.has_value());
  EXPECT_EQ(past->entries, inFolder(texts({"@/after.mp3"})));

  const auto deep = read(QStringLiteral("deep.wpl"), bytesOf(veryDeep));
  ASSERT_TRUE(deep.has_value());
  EXPECT_EQ(deep->title, QStringLiteral("Deep"));
  EXPECT_EQ(deep->entries, inFolder(texts({"@/after.mp3"})));

  const auto open = read(QStringLiteral("open.asx"), bytesOf(neverClosed));
  ASSERT_TRUE(open.has_value());
  EXPECT_EQ(open->title, QStringLiteral("Open"));
  EXPECT_TRUE(open->entries.isEmpty());

  // ENTRY holds no ENTRY: entries whose end tags are missing stay side by side, however many.
  std::string unclosedEntries = "<asx>";
  QStringList expected;
  for (int i = 0; i < 2 * kMaxDepth; ++i) {
    unclosedEntries += "<entry><ref href=t" + std::to_string(i) + ".wma>";
    expected << QStringLiteral("@/t%1.wma").arg(i);
  }
  const auto unclosed = read(QStringLiteral("unclosed.asx"), bytesOf(unclosedEntries));
  ASSERT_TRUE(unclosed.has_value());
  EXPECT_EQ(unclosed->entries, inFolder(expected));
}

TEST_F(PlaylistFilesTest, CutsTheEntriesAtTheLimit) {
  QByteArray m3u;
  QByteArray asx = "<asx>";
  for (qsizetype i = 0; i < kMaxEntries + 5; ++i) {
    m3u += "track" + QByteArray::number(i) + ".mp3\n";
    asx += "<entry><ref href=track" + QByteArray::number(i) + ".mp3></entry>";
  }
  // The title still counts when it comes after the entries that were cut.
  asx += "<title>After the entries</title></asx>";
  const struct {
    QString file;
    QByteArray bytes;
    QString title;
  } cases[] = {
      {QStringLiteral("many.m3u"), m3u, QStringLiteral("many")},
      {QStringLiteral("many.asx"), asx, QStringLiteral("After the entries")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file.toStdString());
    const auto playlist = read(c.file, c.bytes);
    ASSERT_TRUE(playlist.has_value());
    EXPECT_EQ(playlist->title, c.title);
    ASSERT_EQ(playlist->entries.size(), kMaxEntries);
    EXPECT_EQ(playlist->entries.first(), folder() + QStringLiteral("/track0.mp3"));
    EXPECT_EQ(playlist->entries.last(),
              folder() + QStringLiteral("/track%1.mp3").arg(kMaxEntries - 1));
  }
}

// The files are sparse: text in their first KB and NULs after it, which a reader would take for a
// playlist.
TEST_F(PlaylistFilesTest, SkipsAFileOverTheSizeLimit) {
  const auto sparse = [&](const QString& name, qint64 size) {
    const QString path = write(name, QByteArray(1100, '\n') + "first.mp3\n");
    QFile file(path);
    EXPECT_TRUE(file.resize(size));
    return path;
  };
  const auto atLimit = readPlaylistFile(sparse(QStringLiteral("at.m3u"), kMaxPlaylistBytes));
  ASSERT_TRUE(atLimit.has_value());
  EXPECT_EQ(atLimit->entries, QStringList{folder() + QStringLiteral("/first.mp3")});

  EXPECT_FALSE(
      readPlaylistFile(sparse(QStringLiteral("over.m3u"), kMaxPlaylistBytes + 1)).has_value());
  EXPECT_FALSE(
      readPlaylistFile(sparse(QStringLiteral("huge.m3u"), qint64{50} * 1024 * 1024)).has_value());
}

TEST(PlaylistTypeTest, TakesTheTypeFromTheExtensionInAnyCase) {
  const struct {
    const char* path;
    std::optional<QString> type;
  } cases[] = {
      {"/m/a.wpl", QStringLiteral("WPL")},
      {"/m/a.AsX", QStringLiteral("ASX")},
      {"a.WAX", QStringLiteral("WAX")},
      {"a.wvx", QStringLiteral("WVX")},
      {"/m/a.b.m3u", QStringLiteral("M3U")},
      {"/m/a.M3U8", QStringLiteral("M3U")},
      {"/m/a.m3u.bak", std::nullopt},
      {"/m/wpl", std::nullopt},
      {"/m.wpl/a", std::nullopt},
      {"/m/a.pls", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(typeOfFile(text(c.path)), c.type);
  }
}

TEST_F(PlaylistFilesTest, ListsThePlaylistFilesOfTheFolderByName) {
  for (const char* name : {"b.WPL", "a.m3u", "A.m3u", "c.M3U8", "d.asx", "e.wax", "f.wvx",
                           "notes.txt", "x.m3u.bak", "Z.Wpl", ".hidden.m3u"}) {
    write(text(name), "x\n");
  }
  ASSERT_TRUE(QDir(folder()).mkdir(QStringLiteral("sub.m3u")));
  write(QStringLiteral("sub.m3u/inner.m3u"), "x\n");
  ASSERT_TRUE(QFile::link(dir_.filePath(QStringLiteral("d.asx")),
                          dir_.filePath(QStringLiteral("link.asx"))));
  ASSERT_TRUE(QFile::link(dir_.filePath(QStringLiteral("gone.wpl")),
                          dir_.filePath(QStringLiteral("broken.wpl"))));
  ASSERT_TRUE(QFile::link(dir_.filePath(QStringLiteral("sub.m3u")),
                          dir_.filePath(QStringLiteral("folder-link.m3u"))));

  EXPECT_EQ(playlistFilesIn(folder()),
            inFolder(texts({"@/.hidden.m3u", "@/A.m3u", "@/a.m3u", "@/b.WPL", "@/c.M3U8", "@/d.asx",
                            "@/e.wax", "@/f.wvx", "@/link.asx", "@/Z.Wpl"})));
  EXPECT_TRUE(playlistFilesIn(dir_.filePath(QStringLiteral("missing"))).isEmpty());
  EXPECT_TRUE(playlistFilesIn(dir_.filePath(QStringLiteral("a.m3u"))).isEmpty());
}

}  // namespace
