#include "platform/linux/LibreOfficePresentationProgram.h"

#include <unistd.h>

#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>
#include <algorithm>
#include <atomic>
#include <com/sun/star/awt/XWindow.hpp>
#include <com/sun/star/awt/XWindow2.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/bridge/XUnoUrlResolver.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/drawing/XDrawPage.hpp>
#include <com/sun/star/drawing/XDrawPages.hpp>
#include <com/sun/star/drawing/XDrawPagesSupplier.hpp>
#include <com/sun/star/drawing/XShapeDescriptor.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/presentation/XPresentation2.hpp>
#include <com/sun/star/presentation/XPresentationPage.hpp>
#include <com/sun/star/presentation/XPresentationSupplier.hpp>
#include <com/sun/star/presentation/XSlideShowController.hpp>
#include <com/sun/star/task/XInteractionHandler.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <com/sun/star/util/CloseVetoException.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <limits>
#include <mutex>
#include <rtl/bootstrap.hxx>
#include <thread>
#include <vector>

#include "platform/linux/AbortingInteractionHandler.h"

namespace uno = css::uno;
using uno::Reference;
using uno::UNO_QUERY;
using uno::UNO_QUERY_THROW;

// What the worker holds for one office: the remote context, its desktop and the documents it
// loaded for us, by reference id. Touched only on the worker thread.
struct UnoSession {
  Reference<uno::XComponentContext> remote;
  Reference<css::frame::XDesktop2> desktop;
  std::map<quint64, Reference<css::lang::XComponent>> documents;
  // Documents whose show was started, the latest last: the application's active show.
  std::vector<quint64> shown;
  // A document window that a show made visible. The document was opened hidden, and its window
  // must go again once the show has ended: left on screen, it would take the keyboard from the
  // window the user had before the show.
  struct ShowWindow {
    quint64 id = 0;
    Reference<css::awt::XWindow> window;
    bool seenRunning = false;
    // A show not seen running by then never started: its window goes all the same.
    std::chrono::steady_clock::time_point startBy;
  };
  std::vector<ShowWindow> showWindows;
  // Set by the office process's side; read by tasks to refuse a slide show without a display.
  bool headless = false;
};

namespace {

// Where Debian's office keeps its program folder, used when the launcher's own folder holds no
// fundamentalrc (a wrapper script elsewhere on PATH).
constexpr auto kDefaultProgramFolder = "/usr/lib/libreoffice/program";
// The pause between attempts to reach a starting office; one attempt on a pipe nobody listens
// on fails at once.
constexpr std::chrono::milliseconds kConnectRetryInterval{200};
// After the watchdog kills the office, the worker's call in flight ends as soon as the bridge
// sees the pipe close; a worker still busy after this is abandoned.
constexpr std::chrono::milliseconds kRecoverTimeout{2000};
// A started show has its controller within a moment; runSlideShow waits this long for it, so
// that currentShowSlide answers right after.
constexpr std::chrono::milliseconds kShowStartWait{2000};
constexpr std::chrono::milliseconds kShowStartPoll{50};
// How long runSlideShow gives the window manager to activate the document's window.
constexpr std::chrono::milliseconds kDocumentActiveWait{1500};
// How often the worker asks whether a show whose document window it showed has ended. Until the
// window is hidden again it holds the keyboard, and the agent may report it as the foreground.
constexpr std::chrono::milliseconds kShowEndPoll{50};
// A show that was started but not seen running within this time never runs: its document
// window is hidden again.
constexpr std::chrono::milliseconds kShowStartGrace{5000};
// Text read from a document is cut here: a damaged or hostile file must not fill the memory of
// the agent or the handheld.
constexpr qsizetype kMaxTextLength = 1 << 20;
// Longer paths are refused before they reach the office (PATH_MAX is 4096 bytes).
constexpr qsizetype kMaxPathLength = 4096;

rtl::OUString toOUString(const QString& text) {
  return rtl::OUString(reinterpret_cast<const sal_Unicode*>(text.utf16()),
                       static_cast<sal_Int32>(text.size()));
}

QString toQString(const rtl::OUString& text) {
  const qsizetype length = std::min<qsizetype>(text.getLength(), kMaxTextLength);
  return QString::fromUtf16(reinterpret_cast<const char16_t*>(text.getStr()), length);
}

// The office's program folder: the launcher's own (through its symbolic link) if it holds the
// bootstrap file, else Debian's.
QString programFolder(const QString& launcher) {
  const QFileInfo resolved(QFileInfo(launcher).canonicalFilePath());
  const QString folder = resolved.absolutePath();
  if (!resolved.filePath().isEmpty() && QFileInfo::exists(folder + u"/fundamentalrc"_qs)) {
    return folder;
  }
  return QString::fromLatin1(kDefaultProgramFolder);
}

// The client's own UNO runtime, made once per process. The bootstrap variable must name the
// office's fundamentalrc before the first remote call, or the client's type lookups crash.
Reference<uno::XComponentContext> localContext(const QString& folder) {
  static std::mutex mutex;
  static Reference<uno::XComponentContext> context;
  std::lock_guard lock(mutex);
  if (!context.is()) {
    rtl::Bootstrap::set(rtl::OUString::createFromAscii("URE_BOOTSTRAP"),
                        toOUString(u"vnd.sun.star.pathname:"_qs + folder + u"/fundamentalrc"_qs));
    context = ::cppu::defaultBootstrap_InitialComponentContext();
  }
  return context;
}

css::beans::PropertyValue property(const char* name, const uno::Any& value) {
  css::beans::PropertyValue result;
  result.Name = rtl::OUString::createFromAscii(name);
  result.Value = value;
  return result;
}

Reference<css::drawing::XDrawPage> page(const UnoSession& session, quint64 id, qint32 slide) {
  const auto found = session.documents.find(id);
  if (found == session.documents.end()) {
    return {};
  }
  Reference<css::drawing::XDrawPagesSupplier> supplier(found->second, UNO_QUERY_THROW);
  Reference<css::drawing::XDrawPages> pages = supplier->getDrawPages();
  if (!pages.is() || slide < 1 || slide > pages->getCount()) {
    return {};
  }
  Reference<css::drawing::XDrawPage> result;
  pages->getByIndex(slide - 1) >>= result;
  return result;
}

// The office names a placeholder's kind in its shape type; it lists the kind among the shape's
// services only for titles and outlines, not for notes.
bool isShapeOfKind(const Reference<css::drawing::XShapeDescriptor>& shape,
                   const rtl::OUString& kind) {
  if (!shape.is()) {
    return false;
  }
  // The API marks the descriptor as old, yet it is the only place that names a notes placeholder.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  const rtl::OUString type = shape->getShapeType();
#pragma GCC diagnostic pop
  if (type == kind) {
    return true;
  }
  Reference<css::lang::XServiceInfo> info(shape, UNO_QUERY);
  return info.is() && info->supportsService(kind);
}

// The text of the first shape on `shapes` of kind `kind`, or nothing.
std::optional<QString> textOfService(const Reference<css::drawing::XDrawPage>& shapes,
                                     const rtl::OUString& kind) {
  const sal_Int32 count = shapes->getCount();
  for (sal_Int32 i = 0; i < count; ++i) {
    Reference<css::drawing::XShapeDescriptor> shape(shapes->getByIndex(i), UNO_QUERY);
    if (!isShapeOfKind(shape, kind)) {
      continue;
    }
    Reference<css::text::XText> text(shape, UNO_QUERY);
    return text.is() ? toQString(text->getString()) : QString();
  }
  return std::nullopt;
}

// The first line of the first shape (in the slide's drawing order) that holds any text.
QString firstTextLine(const Reference<css::drawing::XDrawPage>& shapes) {
  const sal_Int32 count = shapes->getCount();
  for (sal_Int32 i = 0; i < count; ++i) {
    Reference<css::text::XText> text(shapes->getByIndex(i), UNO_QUERY);
    if (!text.is()) {
      continue;
    }
    const QString value = toQString(text->getString());
    if (value.trimmed().isEmpty()) {
      continue;
    }
    const qsizetype end = value.indexOf(QRegularExpression(u"[\r\n\u2028\u2029\v]"_qs));
    return end < 0 ? value : value.left(end);
  }
  return {};
}

Reference<css::presentation::XPresentation2> presentationOf(const UnoSession& session, quint64 id) {
  const auto found = session.documents.find(id);
  if (found == session.documents.end()) {
    return {};
  }
  Reference<css::presentation::XPresentationSupplier> supplier(found->second, UNO_QUERY);
  if (!supplier.is()) {
    return {};
  }
  return Reference<css::presentation::XPresentation2>(supplier->getPresentation(), UNO_QUERY);
}

// The window of the document's frame; empty when it has none.
Reference<css::awt::XWindow> documentWindow(const UnoSession& session, quint64 id) {
  const auto found = session.documents.find(id);
  if (found == session.documents.end()) {
    return {};
  }
  Reference<css::frame::XModel> model(found->second, UNO_QUERY);
  if (!model.is()) {
    return {};
  }
  Reference<css::frame::XController> controller = model->getCurrentController();
  if (!controller.is() || !controller->getFrame().is()) {
    return {};
  }
  return controller->getFrame()->getContainerWindow();
}

// One look at the shows whose document window was shown for them: the window of each show that
// has ended is hidden again, so that the window manager hands the keyboard back to the window
// underneath. False once no such show is left.
bool hideWindowsOfEndedShows(UnoSession& session) {
  const auto now = std::chrono::steady_clock::now();
  auto& watched = session.showWindows;
  for (auto it = watched.begin(); it != watched.end();) {
    bool ended = true;
    try {
      // A closed document took its window along.
      if (session.documents.contains(it->id)) {
        Reference<css::presentation::XPresentation2> show = presentationOf(session, it->id);
        if (show.is() && show->isRunning()) {
          it->seenRunning = true;
          ended = false;
        } else if (!it->seenRunning && now < it->startBy) {
          ended = false;
        } else if (it->window.is()) {
          it->window->setVisible(false);
        }
      }
    } catch (const uno::Exception&) {
      // The document or the office is gone, and the window with it.
    }
    it = ended ? watched.erase(it) : std::next(it);
  }
  return !watched.empty();
}

}  // namespace

LibreOfficePresentationProgram::LibreOfficePresentationProgram(QString officeProgram)
    : officeProgram_(std::move(officeProgram)) {}

LibreOfficePresentationProgram::~LibreOfficePresentationProgram() {
  if (office_ && office_->process.running()) {
    const quint64 id = nextId_++;
    apps_[id] = office_->generation;
    (void)quitApplication(AutomationRef{id});
  }
  discardOffice();
}

bool LibreOfficePresentationProgram::officeAlive(quint64 generation) {
  if (!office_ || office_->generation != generation) {
    return false;
  }
  if (!office_->process.running()) {
    // Crashed or ended behind our back: its references fail from now on.
    discardOffice();
    return false;
  }
  return true;
}

void LibreOfficePresentationProgram::discardOffice() {
  if (!office_) {
    return;
  }
  office_->process.kill();
  worker_.setPoll({}, {});
  // The remote references are dropped on the worker, the thread that made them.
  auto session = std::move(office_->session);
  office_.reset();
  if (session) {
    (void)worker_.run([doomed = std::move(session)]() mutable { doomed.reset(); }, kCallTimeout);
  }
}

bool LibreOfficePresentationProgram::runGuarded(const std::shared_ptr<UnoSession>& session,
                                                std::function<void(UnoSession&)> task,
                                                std::chrono::milliseconds timeout) {
  auto lost = std::make_shared<std::atomic<bool>>(false);
  auto failed = std::make_shared<std::atomic<bool>>(false);
  const bool finished = worker_.run(
      [session, task = std::move(task), lost, failed] {
        try {
          task(*session);
        } catch (const css::lang::DisposedException&) {
          // The bridge is gone: the office crashed or closed the pipe.
          *lost = true;
        } catch (const uno::Exception&) {
          *failed = true;
        } catch (...) {
          *failed = true;
        }
      },
      timeout);
  if (!finished || *lost) {
    // The watchdog: an office that overruns its bound, or whose bridge is gone, is ended.
    discardOffice();
    worker_.recover(kRecoverTimeout);
    return false;
  }
  if (*failed) {
    // A failed call may be the first sign of a crash (a RuntimeException from a dead bridge).
    if (office_ && !office_->process.running()) {
      discardOffice();
    }
    return false;
  }
  return true;
}

bool LibreOfficePresentationProgram::startOffice() {
  QString launcher = officeProgram_;
  if (!launcher.contains(u'/')) {
    launcher = QStandardPaths::findExecutable(launcher);
  }
  const QFileInfo launcherInfo(launcher);
  if (launcher.isEmpty() || !launcherInfo.isFile() || !launcherInfo.isExecutable() ||
      !profile_.isValid()) {
    return false;
  }

  auto office = std::make_unique<Office>();
  office->generation = nextGeneration_++;
  office->session = std::make_shared<UnoSession>();
  const bool hasDisplay =
      !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
  office->session->headless = !hasDisplay;

  // A pipe name nobody else uses: this process, this office, and a random part against a stale
  // office of an earlier run with the same process id.
  const QString pipe = u"corvane-%1-%2-%3"_qs.arg(getpid())
                           .arg(office->generation)
                           .arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0'));
  QStringList arguments{
      u"--invisible"_qs,
      u"--norestore"_qs,
      u"--nologo"_qs,
      u"--nodefault"_qs,
      u"--nolockcheck"_qs,
      u"-env:UserInstallation="_qs +
          QUrl::fromLocalFile(profile_.path()).toString(QUrl::FullyEncoded),
      u"--accept=pipe,name="_qs + pipe + u";urp;StarOffice.ComponentContext"_qs,
  };
  if (!hasDisplay) {
    // Without an X server the office can still load and read documents, though not show them.
    arguments.prepend(u"--headless"_qs);
  }
  QStringList environment;
  if (hasDisplay && qEnvironmentVariableIsEmpty("SAL_USE_VCLPLUGIN")) {
    // The office's own X11 toolkit ("gen") opens the show's window but never paints a slide in it
    // nor takes its keys; the GTK 3 one does both. An office without it falls back by itself.
    environment.append(u"SAL_USE_VCLPLUGIN=gtk3"_qs);
  }
  if (!office->process.start(launcher, arguments, environment)) {
    return false;
  }

  const QString folder = programFolder(launcher);
  const rtl::OUString url =
      toOUString(u"uno:pipe,name="_qs + pipe + u";urp;StarOffice.ComponentContext"_qs);
  const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
  while (std::chrono::steady_clock::now() < deadline) {
    if (!office->process.running()) {
      return false;
    }
    auto connected = std::make_shared<std::atomic<bool>>(false);
    const bool finished = worker_.run(
        [session = office->session, folder, url, connected] {
          try {
            Reference<uno::XComponentContext> local = localContext(folder);
            Reference<css::bridge::XUnoUrlResolver> resolver =
                css::bridge::UnoUrlResolver::create(local);
            Reference<uno::XComponentContext> remote(resolver->resolve(url), UNO_QUERY_THROW);
            session->desktop = css::frame::Desktop::create(remote);
            session->remote = remote;
            *connected = true;
          } catch (...) {
            // Not listening yet (NoConnectException), or not an office at all.
          }
        },
        kCallTimeout);
    if (!finished) {
      office->process.kill();
      worker_.recover(kRecoverTimeout);
      return false;
    }
    if (*connected) {
      office_ = std::move(office);
      return true;
    }
    std::this_thread::sleep_for(kConnectRetryInterval);
  }
  office->process.kill();
  return false;
}

std::shared_ptr<UnoSession> LibreOfficePresentationProgram::sessionForApp(AutomationRef app) {
  const auto found = apps_.find(app.id);
  if (found == apps_.end() || !officeAlive(found->second)) {
    return {};
  }
  return office_->session;
}

std::shared_ptr<UnoSession> LibreOfficePresentationProgram::sessionForPresentation(
    AutomationRef presentation) {
  const auto found = presentations_.find(presentation.id);
  if (found == presentations_.end() || !officeAlive(found->second)) {
    return {};
  }
  return office_->session;
}

std::optional<AutomationRef> LibreOfficePresentationProgram::createApplication() {
  if (!office_ || !officeAlive(office_->generation)) {
    discardOffice();
    if (!startOffice()) {
      return std::nullopt;
    }
  }
  const quint64 id = nextId_++;
  apps_[id] = office_->generation;
  return AutomationRef{id};
}

std::optional<AutomationRef> LibreOfficePresentationProgram::openPresentation(AutomationRef app,
                                                                              const QString& path) {
  auto session = sessionForApp(app);
  if (!session || path.isEmpty() || path.size() > kMaxPathLength) {
    return std::nullopt;
  }
  // A missing file or a folder is refused here; the office would only say so more slowly.
  const QFileInfo file(path);
  // An empty file would open as a new, empty document of the type its name suggests.
  if (!file.isFile() || !file.isReadable() || file.size() == 0) {
    return std::nullopt;
  }
  const rtl::OUString url =
      toOUString(QUrl::fromLocalFile(file.absoluteFilePath()).toString(QUrl::FullyEncoded));
  const quint64 id = nextId_++;
  auto loaded = std::make_shared<std::atomic<bool>>(false);
  const bool ok = runGuarded(
      session,
      [url, id, loaded](UnoSession& s) {
        Reference<css::task::XInteractionHandler> handler(new AbortingInteractionHandler);
        const css::beans::PropertyValue loadProperties[] = {
            property("Hidden", uno::Any(true)),
            property("InteractionHandler", uno::Any(handler)),
            // Documents come from anywhere on the handheld's say: no macros, no link updates.
            property("MacroExecutionMode", uno::Any(css::document::MacroExecMode::NEVER_EXECUTE)),
            property("UpdateDocMode", uno::Any(css::document::UpdateDocMode::NO_UPDATE)),
        };
        const uno::Sequence<css::beans::PropertyValue> properties(
            loadProperties, static_cast<sal_Int32>(std::size(loadProperties)));
        Reference<css::frame::XComponentLoader> loader(s.desktop, UNO_QUERY_THROW);
        Reference<css::lang::XComponent> document = loader->loadComponentFromURL(
            url, rtl::OUString::createFromAscii("_blank"), 0, properties);
        if (!document.is()) {
          return;
        }
        // A file that loads as a text or drawing document is no presentation.
        Reference<css::presentation::XPresentationSupplier> supplier(document, UNO_QUERY);
        if (!supplier.is()) {
          Reference<css::util::XCloseable> closeable(document, UNO_QUERY);
          if (closeable.is()) {
            closeable->close(true);
          }
          return;
        }
        s.documents[id] = document;
        *loaded = true;
      },
      kLoadTimeout);
  if (!ok || !*loaded) {
    return std::nullopt;
  }
  presentations_[id] = office_->generation;
  return AutomationRef{id};
}

template <typename T>
std::optional<T> LibreOfficePresentationProgram::readPresentation(
    AutomationRef presentation, std::function<void(UnoSession&, quint64, std::optional<T>&)> read) {
  auto session = sessionForPresentation(presentation);
  if (!session) {
    return std::nullopt;
  }
  // Shared with the worker, which may still hold it when a call overran.
  auto result = std::make_shared<std::optional<T>>();
  const quint64 id = presentation.id;
  if (!runGuarded(
          session, [id, result, read](UnoSession& s) { read(s, id, *result); }, kCallTimeout)) {
    return std::nullopt;
  }
  return *result;
}

std::optional<qint32> LibreOfficePresentationProgram::slideCount(AutomationRef presentation) {
  return readPresentation<qint32>(
      presentation, [](UnoSession& s, quint64 id, std::optional<qint32>& result) {
        Reference<css::drawing::XDrawPagesSupplier> supplier(s.documents.at(id), UNO_QUERY_THROW);
        const sal_Int32 count = supplier->getDrawPages()->getCount();
        if (count >= 0) {
          result = count;
        }
      });
}

// The title is the slide's title placeholder. A slide without one (the office's own .ppt export
// drops empty and some filled title placeholders) gets the first line of its first shape that
// holds text, which is what a reader takes for its title; a slide with no text at all has the
// empty title. Failing instead would make the caller carry the previous slide's title forward.
std::optional<QString> LibreOfficePresentationProgram::slideTitle(AutomationRef presentation,
                                                                  qint32 slide) {
  return readPresentation<QString>(
      presentation, [slide](UnoSession& s, quint64 id, std::optional<QString>& result) {
        Reference<css::drawing::XDrawPage> shapes = page(s, id, slide);
        if (!shapes.is()) {
          return;
        }
        auto title = textOfService(
            shapes, rtl::OUString::createFromAscii("com.sun.star.presentation.TitleTextShape"));
        result = title ? *title : firstTextLine(shapes);
      });
}

// The notes are the notes page's notes shape; a notes page without one holds no notes.
std::optional<QString> LibreOfficePresentationProgram::slideNotes(AutomationRef presentation,
                                                                  qint32 slide) {
  return readPresentation<QString>(
      presentation, [slide](UnoSession& s, quint64 id, std::optional<QString>& result) {
        Reference<css::presentation::XPresentationPage> slidePage(page(s, id, slide), UNO_QUERY);
        if (!slidePage.is()) {
          return;
        }
        Reference<css::drawing::XDrawPage> notes = slidePage->getNotesPage();
        if (!notes.is()) {
          return;
        }
        auto text = textOfService(
            notes, rtl::OUString::createFromAscii("com.sun.star.presentation.NotesShape"));
        result = text ? *text : QString();
      });
}

bool LibreOfficePresentationProgram::runSlideShow(AutomationRef presentation) {
  auto session = sessionForPresentation(presentation);
  if (!session || session->headless) {
    return false;
  }
  const quint64 id = presentation.id;
  // A show started from a hidden document crashes the office: its window is shown first, and
  // hidden again once the show has ended (the worker's poll watches for that).
  auto active = std::make_shared<std::atomic<bool>>(false);
  if (!runGuarded(
          session,
          [id, active](UnoSession& s) {
            Reference<css::awt::XWindow> window = documentWindow(s, id);
            if (window.is()) {
              window->setVisible(true);
              std::erase_if(s.showWindows, [id](const auto& shown) { return shown.id == id; });
              s.showWindows.push_back({id, window, false,
                                       std::chrono::steady_clock::now() + kDocumentActiveWait +
                                           kShowStartWait + kShowStartGrace});
              Reference<css::awt::XWindow2> state(window, UNO_QUERY);
              *active = !state.is() || state->isActive();
            }
          },
          kCallTimeout)) {
    return false;
  }
  worker_.setPoll(
      [weak = std::weak_ptr<UnoSession>(session)] {
        const auto s = weak.lock();
        return s && hideWindowsOfEndedShows(*s);
      },
      kShowEndPoll);
  // The window manager activates the document's window once it is mapped. Should that come
  // after the show's window is up, the document's window would take the keyboard and the show
  // would never see a key; so the show starts once the document's window is active, or when the
  // manager has not activated it within kDocumentActiveWait.
  const auto deadline = std::chrono::steady_clock::now() + kDocumentActiveWait;
  while (!*active && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(kShowStartPoll);
    if (!runGuarded(
            session,
            [id, active](UnoSession& s) {
              Reference<css::awt::XWindow2> state(documentWindow(s, id), UNO_QUERY);
              *active = !state.is() || state->isActive();
            },
            kCallTimeout)) {
      return false;
    }
  }
  auto started = std::make_shared<std::atomic<bool>>(false);
  const bool ok = runGuarded(
      session,
      [id, started](UnoSession& s) {
        Reference<css::presentation::XPresentation2> show = presentationOf(s, id);
        if (!show.is()) {
          return;
        }
        show->start();
        std::erase(s.shown, id);
        s.shown.push_back(id);
        const auto showDeadline = std::chrono::steady_clock::now() + kShowStartWait;
        while (!show->getController().is() && std::chrono::steady_clock::now() < showDeadline) {
          std::this_thread::sleep_for(kShowStartPoll);
        }
        // Starting again ends a show still running: what the poll saw of that one is void.
        const bool running = show->getController().is();
        for (auto& shown : s.showWindows) {
          if (shown.id == id) {
            shown.seenRunning = running;
            shown.startBy = std::chrono::steady_clock::now() + kShowStartGrace;
          }
        }
        *started = true;
      },
      kCallTimeout);
  return ok && *started;
}

std::optional<qint32> LibreOfficePresentationProgram::currentShowSlide(AutomationRef app) {
  auto session = sessionForApp(app);
  if (!session) {
    return std::nullopt;
  }
  auto result = std::make_shared<std::optional<qint32>>();
  if (!runGuarded(
          session,
          [result](UnoSession& s) {
            for (auto it = s.shown.rbegin(); it != s.shown.rend(); ++it) {
              Reference<css::presentation::XPresentation2> show = presentationOf(s, *it);
              if (!show.is()) {
                continue;
              }
              Reference<css::presentation::XSlideShowController> controller = show->getController();
              if (!controller.is() || !controller->isRunning()) {
                continue;
              }
              const sal_Int32 index = controller->getCurrentSlideIndex();
              if (index >= 0 && index < std::numeric_limits<qint32>::max()) {
                *result = index + 1;
              }
              return;
            }
          },
          kCallTimeout)) {
    return std::nullopt;
  }
  return *result;
}

bool LibreOfficePresentationProgram::closePresentation(AutomationRef presentation) {
  auto session = sessionForPresentation(presentation);
  if (!session) {
    return false;
  }
  auto closed = std::make_shared<std::atomic<bool>>(false);
  const quint64 id = presentation.id;
  const bool ok = runGuarded(
      session,
      [id, closed](UnoSession& s) {
        const auto found = s.documents.find(id);
        if (found == s.documents.end()) {
          return;
        }
        Reference<css::lang::XComponent> document = found->second;
        s.documents.erase(found);
        std::erase(s.shown, id);
        std::erase_if(s.showWindows, [id](const auto& shown) { return shown.id == id; });
        // A running show would keep the document alive behind a closed model.
        Reference<css::presentation::XPresentationSupplier> supplier(document, UNO_QUERY);
        if (supplier.is()) {
          Reference<css::presentation::XPresentation2> show(supplier->getPresentation(), UNO_QUERY);
          if (show.is() && show->isRunning()) {
            show->end();
          }
        }
        Reference<css::util::XCloseable> closeable(document, UNO_QUERY);
        try {
          if (closeable.is()) {
            closeable->close(true);
          } else {
            document->dispose();
          }
        } catch (const css::util::CloseVetoException&) {
          document->dispose();
        }
        *closed = true;
      },
      kCallTimeout);
  // Closed or not, the reference names nothing the caller can use any more.
  presentations_.erase(presentation.id);
  return ok && *closed;
}

bool LibreOfficePresentationProgram::quitApplication(AutomationRef app) {
  auto session = sessionForApp(app);
  if (!session) {
    return false;
  }
  auto terminated = std::make_shared<std::atomic<bool>>(false);
  const bool finished = worker_.run(
      [session, terminated] {
        try {
          session->documents.clear();
          session->shown.clear();
          session->showWindows.clear();
          *terminated = session->desktop->terminate();
        } catch (const css::lang::DisposedException&) {
          // The office may drop the pipe before its answer arrives: it is ending.
          *terminated = true;
        } catch (...) {
        }
      },
      kCallTimeout);
  if (finished && *terminated) {
    (void)office_->process.waitForExit(kQuitTimeout);
  }
  // Ended by itself or not, the office is gone after this: a veto would leave it running with
  // nobody to drive it.
  discardOffice();
  if (!finished) {
    worker_.recover(kRecoverTimeout);
  }
  apps_.erase(app.id);
  return true;
}

void LibreOfficePresentationProgram::release(AutomationRef object) {
  // Dropping a reference closes nothing, as with any automation object: a released document
  // stays open in the office until it quits.
  apps_.erase(object.id);
  presentations_.erase(object.id);
}
