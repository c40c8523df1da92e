#pragma once

#include <QString>
#include <QTemporaryDir>
#include <chrono>
#include <map>
#include <memory>
#include <optional>

#include "platform/PresentationProgram.h"
#include "platform/linux/OfficeProcess.h"
#include "platform/linux/UnoWorker.h"

struct UnoSession;

// The presentation program as LibreOffice Impress, driven through UNO.
//
// The application is an office process of our own (never one the user runs): a private profile,
// its own pipe. A presentation has no window but while its show runs: the show needs the
// document's window, and the worker, between the caller's calls, watches for the show's end to
// hide that window again. Every remote call runs on that one worker thread and is waited for a
// bounded time; an office that overruns is killed (its whole process group) and counts as gone,
// and so does one that crashed. Its references then fail every call at once, and the next
// createApplication starts a fresh office. Nothing the office throws leaves this class.
//
// References: an application reference names the office process it was created for; every
// createApplication while that office lives gives a new reference to the same process, as the
// caller asks for one on every load. A presentation reference names one loaded document.
class LibreOfficePresentationProgram final : public PresentationProgram {
 public:
  // The longest wait for a fresh office to accept its pipe: a first start with an empty profile
  // takes a few seconds.
  static constexpr std::chrono::milliseconds kStartTimeout{15000};
  static constexpr std::chrono::milliseconds kLoadTimeout{10000};
  static constexpr std::chrono::milliseconds kCallTimeout{3000};
  // How long a quit waits for the office to end by itself before it is killed.
  static constexpr std::chrono::milliseconds kQuitTimeout{5000};

  // `officeProgram` is the office's launcher: a bare name is looked up on PATH.
  explicit LibreOfficePresentationProgram(QString officeProgram = QStringLiteral("soffice"));
  LibreOfficePresentationProgram(const LibreOfficePresentationProgram&) = delete;
  LibreOfficePresentationProgram& operator=(const LibreOfficePresentationProgram&) = delete;
  // Quits an office still running (bounded as quitApplication is).
  ~LibreOfficePresentationProgram() override;

  [[nodiscard]] std::optional<AutomationRef> createApplication() override;
  [[nodiscard]] std::optional<AutomationRef> openPresentation(AutomationRef app,
                                                              const QString& path) override;
  [[nodiscard]] std::optional<qint32> slideCount(AutomationRef presentation) override;
  [[nodiscard]] std::optional<QString> slideTitle(AutomationRef presentation,
                                                  qint32 slide) override;
  [[nodiscard]] std::optional<QString> slideNotes(AutomationRef presentation,
                                                  qint32 slide) override;
  [[nodiscard]] bool runSlideShow(AutomationRef presentation) override;
  [[nodiscard]] std::optional<qint32> currentShowSlide(AutomationRef app) override;
  [[nodiscard]] bool closePresentation(AutomationRef presentation) override;
  [[nodiscard]] bool quitApplication(AutomationRef app) override;
  void release(AutomationRef object) override;

 private:
  // One office process and the worker-side objects reached through it.
  struct Office {
    quint64 generation = 0;
    OfficeProcess process;
    std::shared_ptr<UnoSession> session;
  };

  [[nodiscard]] bool startOffice();
  // Kills the office (if any), drops its session on the worker and forgets it.
  void discardOffice();
  // True while the office of `generation` is the one running.
  [[nodiscard]] bool officeAlive(quint64 generation);
  [[nodiscard]] std::shared_ptr<UnoSession> sessionForApp(AutomationRef app);
  [[nodiscard]] std::shared_ptr<UnoSession> sessionForPresentation(AutomationRef presentation);
  // Runs `task` on the worker within `timeout`; the watchdog ends the office when it overruns
  // or when the task reports the connection lost. False on either.
  [[nodiscard]] bool runGuarded(const std::shared_ptr<UnoSession>& session,
                                std::function<void(UnoSession&)> task,
                                std::chrono::milliseconds timeout);
  // One read of an open presentation on the worker: `read` gets the session, the presentation's
  // id and the result to fill; nothing when the presentation is unknown, the read left the result
  // empty, or the call failed.
  template <typename T>
  [[nodiscard]] std::optional<T> readPresentation(
      AutomationRef presentation,
      std::function<void(UnoSession&, quint64, std::optional<T>&)> read);

  QString officeProgram_;
  QTemporaryDir profile_;
  UnoWorker worker_;
  std::unique_ptr<Office> office_;
  quint64 nextGeneration_ = 1;
  quint64 nextId_ = 1;
  std::map<quint64, quint64> apps_;           // reference id -> office generation
  std::map<quint64, quint64> presentations_;  // reference id -> office generation
};
