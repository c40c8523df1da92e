#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

#include "agent/ActiveDocument.h"
#include "agent/CommandActions.h"
#include "agent/DocumentWindows.h"
#include "agent/LibSettings.h"
#include "agent/ReplySender.h"
#include "platform/DesktopShell.h"
#include "platform/EventPump.h"
#include "platform/TickClock.h"
#include "shared/LibParser.h"
#include "shared/libPresentation.h"

// The services the slide-show commands run on. All are owned elsewhere and outlive the manager.
struct SlideMgrServices {
  ReplySender& reply;
  const ActiveDocument& active;  // the document "START" opens again
  libPresentation& presentation;
  LibSettings& settings;  // RootDirPath, read at every open
  ForegroundReports& reports;
  LibParser& parser;
  InputActions& input;
  DocumentWindows& windows;
  DesktopShell& shell;
  const TickClock& clock;
  EventPump& pump;
};

// Opening documents from the root folder, the "PRESENT" commands and the slide entry sent to the
// handheld as "PRESNOTE" / "UPDATE".
class LibSlideMgr final : public SlideShowActions {
 public:
  enum class Direction { Previous, Next };

  // Waits between the steps of opening a document, so that the desktop settles before the next.
  static constexpr qint32 kOpenPauseMs = 500;
  // How long opening a presentation with a notes file waits for the show window to take the
  // foreground; after that it goes on as if it had.
  static constexpr qint32 kShowWindowWaitMs = 5000;
  // How often the foreground title is read during that wait.
  static constexpr qint32 kShowWindowPollMs = 10;
  // How long a slide key may take to reach the running show before its slide is taken as it is,
  // and how often the show is asked meanwhile.
  static constexpr qint32 kShowKeyWaitMs = 500;
  static constexpr qint32 kShowKeyPollMs = 10;

  LibSlideMgr(const SlideMgrServices& services, QString programFolder);

  [[nodiscard]] bool AcceptsDocument(const QString& folder, const QString& file) const override;
  // The "ACTIVATE" action; the result of openDocument is not used by any caller.
  void OpenDocument(const QString& folder, const QString& file) override;
  // Opens RootDirPath & folder & "/" & file. True when the document was handed to the desktop
  // to open; false for a presentation, a window that was already open, or a refused argument.
  bool openDocument(const QString& folder, const QString& file);

  void HandlePresentCommand(const QString& command, const QString& argument) override;
  void UpdateCurrentSlide(Direction direction, bool attached);

  // The ten elements of a slide entry; "" when `slide` lies outside the slide records.
  [[nodiscard]] QString BuildSlideInfo(qint32 slide, bool hasNotes) const;
  void SendSlideNotes(qint32 slide, bool hasNotes);

  // The document's path below the root folder, or nothing when an argument would lead outside
  // it. Double quotes are not part of it.
  [[nodiscard]] std::optional<QString> documentPath(const QString& folder,
                                                    const QString& file) const;
  // The notes file that belongs to a document's path.
  [[nodiscard]] QString notesPathFor(const QString& documentPath) const;

 private:
  PresentationModel& model() { return services_.presentation.Model; }
  [[nodiscard]] const PresentationModel& model() const { return services_.presentation.Model; }

  void openPresentation(const QString& path, const std::optional<PresentationModel>& notes);
  bool openOtherDocument(const QString& path, const std::optional<PresentationModel>& notes);
  void waitForShowWindow(const QString& titleBefore);
  // The notes file read once: its title, names and slides; nothing when there is no file or it
  // gives no slide.
  [[nodiscard]] std::optional<PresentationModel> readNotes(const QString& notesPath) const;
  void applyNotes(const PresentationModel& notes);
  void sendKeys(const QString& keys);

  // The slide-show commands, one each (the two keys of a direction share one).
  void start(QStringView command, bool attached);
  void sendNotes(QStringView command, bool attached);
  void stop(QStringView command, bool attached);
  void home(QStringView command, bool attached);
  void previous(QStringView command, bool attached);
  void next(QStringView command, bool attached);
  void switchWindow(QStringView command, bool attached);
  void blank(QStringView command, bool attached);

  SlideMgrServices services_;
  QString programFolder_;
};
