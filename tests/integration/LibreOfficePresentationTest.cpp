#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "platform/linux/LibreOfficePresentationProgram.h"
#include "tests/support/TestPrinting.h"
#include "tests/support/X11TestWindows.h"

// Last: Xlib's macros (Bool, Status, None) would break the Qt and GoogleTest headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

using Clock = std::chrono::steady_clock;
using Program = LibreOfficePresentationProgram;

struct SlideText {
  const char* title;
  const char* notes;
};

// What tests/fixtures/presentation.fodp holds.
constexpr SlideText kSlides[] = {
    {"Welcome", "Greet the room"},
    {"Results", "Walk through the figures\nline two"},
    {"Questions", ""},
};
constexpr qint32 kSlideCount = 3;

// A refused open answers at once; one that the office looks at and rejects takes it the time of
// a load. Either way well inside the load bound, which is the adapter's own limit.
constexpr auto kQuickAnswer = std::chrono::seconds(2);
constexpr auto kBoundedAnswer = Program::kLoadTimeout + std::chrono::seconds(3);

// How long a show gets to take a key before it counts as dropped; a bound, not a measure.
constexpr auto kKeyPatience = std::chrono::milliseconds(1000);

// Polls `condition` until it holds or `bound` has passed.
bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds bound) {
  const auto deadline = Clock::now() + bound;
  while (!condition()) {
    if (Clock::now() > deadline) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// Every office this test program started: the processes whose command line names a pipe of this
// process (the adapter's pipe names begin with our process id).
std::vector<pid_t> officeProcesses() {
  const QByteArray marker = "name=corvane-" + QByteArray::number(getpid()) + '-';
  std::vector<pid_t> result;
  const QDir proc(u"/proc"_qs);
  for (const QString& entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    bool numeric = false;
    const pid_t pid = entry.toInt(&numeric);
    if (!numeric) {
      continue;
    }
    QFile cmdline(u"/proc/%1/cmdline"_qs.arg(pid));
    if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains(marker)) {
      result.push_back(pid);
    }
  }
  return result;
}

// The test's desktop as a user meets it: which windows can be seen, which one has the keyboard,
// and keys pressed through XTest, so that the office takes them as the user's own.
class UserDesktop {
 public:
  UserDesktop() : display_(XOpenDisplay(nullptr)) {
    // The office's windows come and go while the test looks at them: a window that went between
    // reading the client list and reading the window reads as gone, instead of ending the test
    // program by Xlib's default handler.
    if (display_ != nullptr) {
      ours_ = display_;
      previous_ = XSetErrorHandler(&UserDesktop::ignoreOwnErrors);
    }
  }
  ~UserDesktop() {
    if (display_ != nullptr) {
      XSetErrorHandler(previous_);
      ours_ = nullptr;
      XCloseDisplay(display_);
    }
  }
  UserDesktop(const UserDesktop&) = delete;
  UserDesktop& operator=(const UserDesktop&) = delete;

  [[nodiscard]] bool isOpen() const { return display_ != nullptr; }

  // Presses and releases the key, as a finger would, to whichever window has the keyboard.
  [[nodiscard]] bool press(KeySym key) {
    const KeyCode code = XKeysymToKeycode(display_, key);
    if (code == 0 || XTestFakeKeyEvent(display_, code, True, CurrentTime) == 0 ||
        XTestFakeKeyEvent(display_, code, False, CurrentTime) == 0) {
      return false;
    }
    XSync(display_, False);
    return true;
  }

  // The window's title as its task-bar entry shows it: _NET_WM_NAME, else WM_NAME.
  [[nodiscard]] QString title(unsigned long window) {
    for (const char* name : {"_NET_WM_NAME", "WM_NAME"}) {
      const QByteArray bytes = property(window, XInternAtom(display_, name, False));
      if (!bytes.isEmpty()) {
        return QString::fromUtf8(bytes);
      }
    }
    return {};
  }

  // Mapped with all its ancestors and not hidden by the window manager (iconified or shaded).
  [[nodiscard]] bool canBeSeen(unsigned long window) {
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display_, window, &attributes) == 0 ||
        attributes.map_state != IsViewable) {
      return false;
    }
    const QByteArray bytes = property(window, XInternAtom(display_, "_NET_WM_STATE", False));
    std::vector<Atom> states(static_cast<std::size_t>(bytes.size()) / sizeof(Atom));
    std::memcpy(states.data(), bytes.constData(), states.size() * sizeof(Atom));
    const Atom hidden = XInternAtom(display_, "_NET_WM_STATE_HIDDEN", False);
    return std::find(states.begin(), states.end(), hidden) == states.end();
  }

  // The titles of the managed windows a user can see.
  [[nodiscard]] QStringList visibleTitles(const std::vector<unsigned long>& clients) {
    QStringList titles;
    for (const unsigned long window : clients) {
      if (canBeSeen(window)) {
        titles.append(title(window));
      }
    }
    return titles;
  }

 private:
  static int ignoreOwnErrors(Display* display, XErrorEvent* error) {
    if (display == ours_ || previous_ == nullptr) {
      return 0;
    }
    return previous_(display, error);
  }
  static inline Display* ours_ = nullptr;
  static inline XErrorHandler previous_ = nullptr;

  // A property's items as Xlib hands them (32-bit items as longs); empty when it is missing.
  QByteArray property(unsigned long window, Atom name) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    QByteArray bytes;
    if (XGetWindowProperty(display_, window, name, 0, 65536, False, AnyPropertyType, &type, &format,
                           &count, &after, &data) == Success &&
        data != nullptr) {
      const std::size_t itemSize =
          format == 32 ? sizeof(long) : static_cast<std::size_t>(format / 8);
      bytes =
          QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(count * itemSize));
    }
    if (data != nullptr) {
      XFree(data);
    }
    return bytes;
  }

  Display* display_;
};

// One office for the whole program, started by the first test that needs it, and the
// presentations converted from the fixture.
class LibreOfficePresentationTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(folder_->isValid());
    const int status = QProcess::execute(
        u"bash"_qs, {QString::fromUtf8(CORVANE_MAKE_PRESENTATIONS),
                     QString::fromUtf8(CORVANE_PRESENTATION_FIXTURE), folder_->path()});
    ASSERT_EQ(status, 0) << "the test presentations could not be made";
    program_ = std::make_unique<Program>();
  }

  static void TearDownTestSuite() {
    program_.reset();
    folder_.reset();
  }

  static QString file(const char* extension) {
    return folder_->filePath(u"presentation."_qs + QString::fromLatin1(extension));
  }

  static AutomationRef app() {
    auto created = program_->createApplication();
    EXPECT_TRUE(created.has_value());
    return created.value_or(AutomationRef{});
  }

  static std::unique_ptr<QTemporaryDir> folder_;
  static std::unique_ptr<Program> program_;
};

std::unique_ptr<QTemporaryDir> LibreOfficePresentationTest::folder_;
std::unique_ptr<Program> LibreOfficePresentationTest::program_;

TEST_F(LibreOfficePresentationTest, ReadsSlidesOfEveryFormat) {
  // .pps and .ppsx are the show variants of the same formats; the office tells them apart.
  const char* const extensions[] = {"odp", "pptx", "ppsx", "ppt", "pps"};
  const AutomationRef application = app();
  for (const char* extension : extensions) {
    SCOPED_TRACE(extension);
    auto presentation = program_->openPresentation(application, file(extension));
    ASSERT_TRUE(presentation.has_value());
    EXPECT_EQ(program_->slideCount(*presentation), kSlideCount);
    for (qint32 slide = 1; slide <= kSlideCount; ++slide) {
      SCOPED_TRACE(slide);
      const SlideText& expected = kSlides[slide - 1];
      EXPECT_EQ(program_->slideTitle(*presentation, slide), QString::fromUtf8(expected.title));
      EXPECT_EQ(program_->slideNotes(*presentation, slide), QString::fromUtf8(expected.notes));
    }
    // Slide numbers from outside the presentation name nothing.
    for (qint32 slide : {0, -1, kSlideCount + 1, std::numeric_limits<qint32>::max()}) {
      EXPECT_FALSE(program_->slideTitle(*presentation, slide).has_value()) << slide;
      EXPECT_FALSE(program_->slideNotes(*presentation, slide).has_value()) << slide;
    }
    EXPECT_TRUE(program_->closePresentation(*presentation));
    // A closed presentation answers nothing, and a second close is refused.
    EXPECT_FALSE(program_->slideCount(*presentation).has_value());
    EXPECT_FALSE(program_->closePresentation(*presentation));
    program_->release(*presentation);
  }
  program_->release(application);
}

// Slides without a title placeholder, as some exports write them.
TEST_F(LibreOfficePresentationTest, TakesTheFirstTextLineWhenASlideHasNoTitle) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  QFile out(folder.filePath(u"untitled.fodp"_qs));
  ASSERT_TRUE(out.open(QIODevice::WriteOnly));
  out.write(R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
    xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
    xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
    xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
    office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.presentation">
  <office:body><office:presentation>
    <draw:page draw:name="A">
      <draw:rect svg:x="1cm" svg:y="1cm" svg:width="2cm" svg:height="2cm"/>
      <draw:frame svg:x="2cm" svg:y="4cm" svg:width="20cm" svg:height="3cm">
        <draw:text-box><text:p>Agenda</text:p><text:p>and more</text:p></draw:text-box>
      </draw:frame>
      <draw:frame svg:x="2cm" svg:y="8cm" svg:width="20cm" svg:height="3cm">
        <draw:text-box><text:p>Later text</text:p></draw:text-box>
      </draw:frame>
    </draw:page>
    <draw:page draw:name="B"><draw:rect svg:x="1cm" svg:y="1cm" svg:width="2cm" svg:height="2cm"/></draw:page>
  </office:presentation></office:body>
</office:document>
)");
  out.close();
  const AutomationRef application = app();
  auto presentation = program_->openPresentation(application, out.fileName());
  ASSERT_TRUE(presentation.has_value());
  EXPECT_EQ(program_->slideTitle(*presentation, 1), u"Agenda"_qs);
  // No text at all: the slide's title is empty, not missing.
  EXPECT_EQ(program_->slideTitle(*presentation, 2), QString());
  EXPECT_EQ(program_->slideNotes(*presentation, 2), QString());
  EXPECT_TRUE(program_->closePresentation(*presentation));
}

TEST_F(LibreOfficePresentationTest, RunsTheShowFromTheFirstSlide) {
  const AutomationRef application = app();
  // Nothing is showing yet.
  EXPECT_FALSE(program_->currentShowSlide(application).has_value());
  auto presentation = program_->openPresentation(application, file("odp"));
  ASSERT_TRUE(presentation.has_value());
  ASSERT_TRUE(program_->runSlideShow(*presentation));
  EXPECT_EQ(program_->currentShowSlide(application), 1);
  EXPECT_TRUE(program_->closePresentation(*presentation));
  EXPECT_FALSE(program_->currentShowSlide(application).has_value());
  program_->release(*presentation);
  program_->release(application);
}

// The editing window is shown only so that the show can start. Once the show has ended, by the
// user's Escape or by going on past its end, the user is back at the window they had before, and
// the show runs again as often as it is started.
TEST_F(LibreOfficePresentationTest, TheEditingWindowGoesAgainOnceTheShowHasEnded) {
  struct Case {
    const char* what;
    KeySym key;
    // Right takes the show through its slides and the end screen after the last one, which the
    // next key ends; Escape ends it at once.
    int pressesToEnd;
  };
  const Case cases[] = {
      {"Escape", XK_Escape, 1},
      {"past the last slide", XK_Right, kSlideCount + 1},
  };
  X11TestWindows windows;
  UserDesktop user;
  ASSERT_TRUE(windows.isOpen() && user.isOpen());
  const auto underneath = windows.open("Underneath");
  ASSERT_NE(underneath, 0UL);
  const auto editingWindowSeen = [&] {
    const QStringList titles = user.visibleTitles(windows.clientList());
    return std::any_of(titles.begin(), titles.end(), [](const QString& title) {
      return title.contains(u"LibreOffice Impress"_qs);
    });
  };
  const AutomationRef application = app();
  auto presentation = program_->openPresentation(application, file("odp"));
  ASSERT_TRUE(presentation.has_value());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(windows.activate(underneath));
    ASSERT_TRUE(program_->runSlideShow(*presentation));
    ASSERT_EQ(program_->currentShowSlide(application), 1);
    ASSERT_TRUE(windows.waitUntil([&] {
      return user.title(windows.activeWindow()).startsWith(u"Presenting: "_qs);
    })) << "the keyboard is with "
        << user.title(windows.activeWindow()).toStdString() << ", not with the show";

    // A key that comes while the show is still bringing in a slide only finishes that, and the
    // end screen reports the last slide: so the key is pressed again whenever the show has shown
    // no change for a while, until the show has ended (each press may be spent once that way).
    int presses = 0;
    while (program_->currentShowSlide(application) && presses < 2 * c.pressesToEnd + 1) {
      const auto before = program_->currentShowSlide(application);
      ASSERT_TRUE(user.press(c.key));
      ++presses;
      (void)waitFor([&] { return program_->currentShowSlide(application) != before; },
                    kKeyPatience);
    }
    ASSERT_FALSE(program_->currentShowSlide(application).has_value())
        << "the show stands at slide " << program_->currentShowSlide(application).value_or(0)
        << " after " << presses << " presses, the keyboard is with "
        << user.title(windows.activeWindow()).toStdString();
    EXPECT_GE(presses, c.pressesToEnd);

    EXPECT_TRUE(windows.waitUntil([&] { return !editingWindowSeen(); }))
        << user.visibleTitles(windows.clientList()).join(u" | "_qs).toStdString();
    EXPECT_TRUE(windows.waitUntil([&] { return windows.activeWindow() == underneath; }))
        << "the keyboard is with " << user.title(windows.activeWindow()).toStdString();
  }
  // And once more: the show runs from its first slide.
  ASSERT_TRUE(program_->runSlideShow(*presentation));
  EXPECT_EQ(program_->currentShowSlide(application), 1);
  EXPECT_TRUE(program_->closePresentation(*presentation));
  EXPECT_TRUE(windows.waitUntil([&] { return !editingWindowSeen(); }));
  program_->release(*presentation);
  program_->release(application);
}

TEST_F(LibreOfficePresentationTest, RefusesBadFilesWithoutHanging) {
  QTemporaryDir bad;
  ASSERT_TRUE(bad.isValid());
  const auto write = [&](const QString& name, const QByteArray& bytes) {
    QFile out(bad.filePath(name));
    EXPECT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes);
    return out.fileName();
  };
  QByteArray noise(64 * 1024, '\0');
  for (char& byte : noise) {
    byte = static_cast<char>(QRandomGenerator::global()->bounded(256));
  }
  QFile pptx(file("pptx"));
  ASSERT_TRUE(pptx.open(QIODevice::ReadOnly));
  const QByteArray pptxBytes = pptx.readAll();

  struct Case {
    const char* what;
    QString path;
    std::chrono::milliseconds within;
  };
  const Case cases[] = {
      {"missing file", bad.filePath(u"absent.ppt"_qs), kQuickAnswer},
      {"folder", bad.path(), kQuickAnswer},
      {"empty path", QString(), kQuickAnswer},
      {"random bytes named .ppt", write(u"noise.ppt"_qs, noise), kBoundedAnswer},
      // A broken archive would ask whether to repair it; nobody is there to answer.
      {"truncated .pptx", write(u"truncated.pptx"_qs, pptxBytes.left(pptxBytes.size() / 2)),
       kBoundedAnswer},
      {"empty .odp", write(u"empty.odp"_qs, {}), kBoundedAnswer},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const AutomationRef application = app();
    const auto start = Clock::now();
    EXPECT_FALSE(program_->openPresentation(application, c.path).has_value());
    EXPECT_LT(Clock::now() - start, c.within);
    program_->release(application);
  }
  // The office is still there for a good file.
  const AutomationRef application = app();
  auto presentation = program_->openPresentation(application, file("odp"));
  ASSERT_TRUE(presentation.has_value());
  EXPECT_EQ(program_->slideCount(*presentation), kSlideCount);
  EXPECT_TRUE(program_->closePresentation(*presentation));
}

TEST_F(LibreOfficePresentationTest, RefusesReferencesItDidNotGive) {
  const AutomationRef application = app();
  auto presentation = program_->openPresentation(application, file("odp"));
  ASSERT_TRUE(presentation.has_value());
  // An application is no presentation and the other way round; zero and strangers are nothing.
  EXPECT_FALSE(program_->slideCount(application).has_value());
  EXPECT_FALSE(program_->openPresentation(*presentation, file("odp")).has_value());
  EXPECT_FALSE(program_->currentShowSlide(*presentation).has_value());
  for (quint64 id : {quint64{0}, quint64{999999}}) {
    EXPECT_FALSE(program_->slideTitle(AutomationRef{id}, 1).has_value()) << id;
    EXPECT_FALSE(program_->runSlideShow(AutomationRef{id})) << id;
    EXPECT_FALSE(program_->quitApplication(AutomationRef{id})) << id;
  }
  EXPECT_TRUE(program_->closePresentation(*presentation));
}

// Runs after the tests that share the office: it ends that office several times over.
TEST_F(LibreOfficePresentationTest, EndsAnOfficeThatCrashedOrHangs) {
  struct Case {
    const char* what;
    int signal;
    std::chrono::milliseconds within;
  };
  const Case cases[] = {
      {"crashed", SIGKILL, kQuickAnswer},
      // A stopped office answers nothing: the watchdog ends it after the call's bound.
      {"hung", SIGSTOP, Program::kCallTimeout + std::chrono::seconds(3)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const AutomationRef application = app();
    auto presentation = program_->openPresentation(application, file("odp"));
    ASSERT_TRUE(presentation.has_value());
    const std::vector<pid_t> offices = officeProcesses();
    ASSERT_FALSE(offices.empty());
    for (pid_t pid : offices) {
      (void)kill(pid, c.signal);
    }
    const auto start = Clock::now();
    EXPECT_FALSE(program_->slideCount(*presentation).has_value());
    EXPECT_FALSE(program_->openPresentation(application, file("odp")).has_value());
    EXPECT_LT(Clock::now() - start, c.within);
    EXPECT_TRUE(officeProcesses().empty());

    // A new office takes over; the old references stay dead.
    const AutomationRef next = app();
    auto reopened = program_->openPresentation(next, file("pptx"));
    ASSERT_TRUE(reopened.has_value());
    EXPECT_EQ(program_->slideTitle(*reopened, 2), u"Results"_qs);
    EXPECT_FALSE(program_->slideCount(*presentation).has_value());
    EXPECT_TRUE(program_->closePresentation(*reopened));
  }
}

TEST_F(LibreOfficePresentationTest, QuitEndsTheOffice) {
  const AutomationRef first = app();
  const AutomationRef second = app();
  auto presentation = program_->openPresentation(first, file("odp"));
  ASSERT_TRUE(presentation.has_value());
  EXPECT_TRUE(program_->quitApplication(second));
  EXPECT_TRUE(officeProcesses().empty());
  // Every name of the quit office is dead now, and a second quit is refused.
  EXPECT_FALSE(program_->slideCount(*presentation).has_value());
  EXPECT_FALSE(program_->quitApplication(second));
  EXPECT_FALSE(program_->quitApplication(first));
  EXPECT_FALSE(program_->openPresentation(first, file("odp")).has_value());
}

TEST(LibreOfficeMissingTest, NoOfficeProgramMeansNoApplication) {
  for (const char* program : {"/nonexistent/soffice", "corvane-no-such-office", ""}) {
    SCOPED_TRACE(program);
    Program office{QString::fromUtf8(program)};
    const auto start = Clock::now();
    EXPECT_FALSE(office.createApplication().has_value());
    EXPECT_LT(Clock::now() - start, kQuickAnswer);
  }
}

}  // namespace
