#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <initializer_list>
#include <vector>

#include "editor/NotesWriter.h"
#include "editor/frmAbout.h"
#include "editor/frmMainOfficeWork.h"
#include "shared/NotesReader.h"
#include "shared/OpenWithShell.h"
#include "shared/ProductSite.h"

// The window's file flows: the save question, new, open, save, update from the presentation,
// help, the web site, About and exit.
namespace quenlow {

namespace {

const QString kSaveQuestion = QStringLiteral("Save the current presentation?");
const QString kSaveTitle = QStringLiteral("Save Presentation?");
const QString kOpenTitle = QStringLiteral("Please Select Presentation");
const QString kAssociateTitle = QStringLiteral("Associate Notes With");
const QString kLoadErrorTitle = QStringLiteral("Error Loading File");
const QString kNoSlidesText = QStringLiteral("No Slides to save!");
const QString kNoSlidesTitle = QStringLiteral("No Slides have been created");
const QString kSavedText = QStringLiteral("Your notes have been saved.");
const QString kSavedTitle = QStringLiteral("Presentation Notes Saved");
const QString kNotSavedTitle = QStringLiteral("Presentation Notes Not Saved");
const QString kFileErrorTitle = QStringLiteral("File Error");
const QString kUpdateQuestion = QStringLiteral(
    "Updating notes from the presentation \r\nwill overwrite any notes that you added\r\nusing "
    "this program.  Continue?");
const QString kUpdateTitle = QStringLiteral("Update Notes?");
const QString kManualName = QStringLiteral("qzDocumentation.pdf");
const QString kManualMissingText = QStringLiteral("Help file not found.");
const QString kManualMissingTitle = QStringLiteral("Help File Not Found");

FileDialogs::Filter filterOf(const char* description, std::initializer_list<const char*> patterns) {
  FileDialogs::Filter filter;
  filter.description = QString::fromLatin1(description);
  for (const char* pattern : patterns) {
    filter.patterns << QString::fromLatin1(pattern);
  }
  return filter;
}

// The presentations LibreOffice opens for us, offered together after the classic entries.
FileDialogs::Filter anyPresentation() {
  return filterOf("Presentations", {"*.ppt", "*.pps", "*.pptx", "*.ppsx", "*.odp"});
}

// The classic entries in their order, the first in force: each PowerPoint entry also lists the
// later PowerPoint format of the same kind (a .pptx is a PowerPoint presentation as a .ppt is),
// so the entry the dialog opens with shows the user's PowerPoint files whatever their age. An
// OpenDocument presentation is no PowerPoint file: it is listed under "Presentations".
std::vector<FileDialogs::Filter> openFilters() {
  return {filterOf("PowerPoint", {"*.ppt", "*.pptx"}), filterOf("PowerPoint", {"*.pps", "*.ppsx"}),
          filterOf("All Files", {}), anyPresentation()};
}

std::vector<FileDialogs::Filter> associateFilters() {
  return {filterOf("PowerPoint", {"*.ppt", "*.pptx"}), filterOf("All Files", {}),
          anyPresentation()};
}

// Whether the Update menu may re-read titles and notes from the presentation. A ".PPT" anywhere in
// the upper-cased name (so .pptx too) always may; a slide show (".PPS", also .ppsx) only when a
// notes file was found for it. An OpenDocument presentation (".ODP") may as a .ppt may: the
// presentation program reads its titles and notes just the same.
bool offersUpdate(const QString& fileName, bool notesFileFound) {
  const QString upper = fileName.toUpper();
  return upper.contains(QStringLiteral(".PPT")) || upper.contains(QStringLiteral(".ODP")) ||
         (notesFileFound && upper.contains(QStringLiteral(".PPS")));
}

}  // namespace

void frmMain::handlePresentationSave() {
  if (!slides_.PresentationModified) {
    return;
  }
  if (services_.boxes.show(MessageBoxIcon::None, MessageBoxButtons::YesNo, kSaveQuestion,
                           kSaveTitle) == MessageBoxAnswer::Yes) {
    savePresentationNotes();
  }
}

void frmMain::m_NewPres_Click() {
  if (officeWorking()) {
    return;
  }
  handlePresentationSave();
  slides_.NewPresentation();
  setUpdateMenu(false);
  m_savePres->setEnabled(true);
}

// The menu bar, disabled and enabled again around the program's work, enables its menus with
// itself: the Update menu is set again from what the flows last chose.
void frmMain::setUpdateMenu(bool enabled) {
  updateMenuEnabled_ = enabled;
  m_update->menuAction()->setEnabled(enabled);
}

void frmMain::m_OpenPres_Click() {
  if (officeWorking()) {
    return;
  }
  if (slides_.DisplayedSlide > 0) {
    slides_.StoreSlideFields(slides_.DisplayedSlide);
  }
  handlePresentationSave();
  FileDialogs::OpenFileRequest request;
  request.title = kOpenTitle;
  request.startFolder = PresentationsFolder(services_.programFolder);
  request.filters = openFilters();
  request.selectedFilter = 0;
  request.hideReadOnly = true;
  const QString chosen = services_.dialogs.getOpenFileName(request);
  if (!chosen.isEmpty()) {
    openChosenPresentation(chosen);
  }
  slides_.UpdateTotalTime();
}

void frmMain::openChosenPresentation(const QString& chosen) {
  libPresentation& presentation = services_.presentation;
  PresentationModel& model = presentation.Model;
  slides_.DisplayedSlide = 0;
  model.PresentationFileName = FileTitleFromPath(chosen);
  const QString notesPath = NotesFilePath(model, services_.programFolder);
  model.NotesLoaded = !notesPath.isEmpty() && FileExists(notesPath);

  QString result;
  QString rewriteFailed;
  if (!model.NotesLoaded) {
    {
      const OfficeWork work(*this, true);
      result = presentation.LoadPresentation(chosen, true, true);
      presentation.ClosePowerPoint();
    }
    setUpdateMenu(offersUpdate(model.PresentationFileName, false));
    m_savePres->setEnabled(true);
  } else {
    LoadNotesFile(notesPath, model, parser_);
    setUpdateMenu(offersUpdate(model.PresentationFileName, true));
    m_savePres->setEnabled(true);
    const OfficeWork work(*this, true);
    if (model.PresentationPath.isEmpty()) {
      // A notes file without its presentation's path is completed from the presentation at once:
      // titles and notes as the presentation has them, the timings as the file had them.
      result = presentation.LoadPresentation(chosen, true, false);
      setUpdateMenu(true);
      m_savePres->setEnabled(true);
      const QString rewritten = NotesFilePath(model, services_.programFolder);
      if (SaveNotesFile(rewritten, model, services_.boxes) == SaveResult::WriteFailed) {
        // The notes in hand are not those on disk: a later exit or open offers to save them.
        slides_.PresentationModified = true;
        rewriteFailed = rewritten;
      } else {
        slides_.PresentationModified = false;
      }
      presentation.ClosePowerPoint();
    } else {
      result = presentation.LoadPresentation(chosen, false, false);
      presentation.ClosePowerPoint();
    }
  }

  lblFileName->setText(model.PresentationPath);
  showFromFirstSlide();
  if (!result.isEmpty()) {
    services_.boxes.show(MessageBoxIcon::Critical, MessageBoxButtons::Ok, result, kLoadErrorTitle);
  }
  if (!rewriteFailed.isEmpty()) {
    reportSaveFailure(rewriteFailed);
  }
}

// The list anew; the panel shows slide 1 with its list entry selected.
void frmMain::showFromFirstSlide() {
  slides_.RefreshSlideList();
  if (services_.presentation.Model.SlideCount > 0) {
    slides_.ShowSlide(services_.presentation.Model.SlideCount);
    // Selecting the entry runs the list's click: nothing is stored (no slide is displayed yet) and
    // slide 1 becomes the displayed slide.
    List1->setCurrentRow(0);
  }
}

void frmMain::m_savePres_Click() {
  if (officeWorking()) {
    return;
  }
  savePresentationNotes();
}

void frmMain::savePresentationNotes() {
  libPresentation& presentation = services_.presentation;
  PresentationModel& model = presentation.Model;
  if (model.SlideCount < 1) {
    services_.boxes.show(MessageBoxIcon::Critical, MessageBoxButtons::Ok, kNoSlidesText,
                         kNoSlidesTitle);
    return;
  }
  if (slides_.DisplayedSlide > 0) {
    slides_.StoreSlideFields(slides_.DisplayedSlide);
  }
  QString notesPath = NotesFilePath(model, services_.programFolder);
  if (notesPath.size() >= 3) {
    writeNotesFile(notesPath);
    return;
  }

  FileDialogs::SaveFileRequest request;
  request.title = kAssociateTitle;
  request.startFolder = PresentationsFolder(services_.programFolder);
  request.filters = associateFilters();
  request.selectedFilter = 0;
  request.hideReadOnly = true;
  // The user names the presentation the notes go with; that file is never replaced.
  request.confirmOverwrite = false;
  const QString chosen = services_.dialogs.getSaveFileName(request);
  if (chosen.isEmpty()) {
    return;
  }
  QString result;
  {
    // The presentation stays open in the program until the window closes or the next open.
    const OfficeWork work(*this, false);
    result = presentation.LoadPresentation(chosen, false, false);
  }
  lblFileName->setText(model.PresentationPath);
  notesPath = NotesFilePath(model, services_.programFolder);
  if (!result.isEmpty()) {
    services_.boxes.show(MessageBoxIcon::Critical, MessageBoxButtons::Ok, result, kFileErrorTitle);
  } else {
    writeNotesFile(notesPath);
  }
  slides_.RefreshSlideList();
}

// Success is reported only for notes that are on disk; without a path SaveNotesFile has told the
// user itself.
void frmMain::writeNotesFile(const QString& path) {
  switch (SaveNotesFile(path, services_.presentation.Model, services_.boxes)) {
    case SaveResult::Saved:
      services_.boxes.show(MessageBoxIcon::None, MessageBoxButtons::Ok, kSavedText, kSavedTitle);
      slides_.PresentationModified = false;
      return;
    case SaveResult::NoPath:
      return;
    case SaveResult::WriteFailed:
      reportSaveFailure(path);
      return;
  }
}

void frmMain::reportSaveFailure(const QString& path) {
  services_.boxes.show(MessageBoxIcon::Critical, MessageBoxButtons::Ok,
                       QStringLiteral("Your notes could not be saved to the file\r\n%1\r\n%2")
                           .arg(QDir::toNativeSeparators(path), SaveFailureReason(path)),
                       kNotSavedTitle);
}

void frmMain::m_Notes_Click() {
  if (officeWorking()) {
    return;
  }
  libPresentation& presentation = services_.presentation;
  if (presentation.Model.PresentationPath.isEmpty()) {
    return;
  }
  if (services_.boxes.show(MessageBoxIcon::None, MessageBoxButtons::YesNo, kUpdateQuestion,
                           kUpdateTitle) != MessageBoxAnswer::Yes) {
    return;
  }
  // Edits of the shown slide not yet stored give way to what the presentation holds.
  slides_.DisplayedSlide = 0;
  QString result;
  {
    // The presentation stays open in the program, as after associating notes with it.
    const OfficeWork work(*this, false);
    result = presentation.LoadPresentation(presentation.Model.PresentationPath, true, false);
  }
  slides_.PresentationModified = true;
  showFromFirstSlide();
  // Nothing was read when the program could not be started: the user is told why.
  if (!result.isEmpty()) {
    services_.boxes.show(MessageBoxIcon::Critical, MessageBoxButtons::Ok, result, kLoadErrorTitle);
  }
}

void frmMain::openManual(bool reportMissing) {
  const QString manual = services_.programFolder + u'/' + kManualName;
  if (QFileInfo(manual).isFile()) {
    OpenWithShell(services_.shell, manual);
  } else if (reportMissing) {
    services_.boxes.show(MessageBoxIcon::Critical, MessageBoxButtons::Ok, kManualMissingText,
                         kManualMissingTitle);
  }
}

void frmMain::m_helpFile_Click() {
  if (officeWorking()) {
    return;
  }
  openManual(true);
}

void frmMain::m_visit_website_Click() {
  if (officeWorking()) {
    return;
  }
  OpenWithShell(services_.shell, QString::fromLatin1(ProductSite::kBaseAddress));
}

void frmMain::m_about_Click() {
  if (officeWorking()) {
    return;
  }
  if (about_ != nullptr) {
    about_->show();
    about_->raise();
    about_->activateWindow();
    return;
  }
  // Owned by the window; it deletes itself when closed.
  about_ = new frmAbout(this);
  about_->show();
}

void frmMain::m_exit_Click() {
  if (officeWorking()) {
    return;
  }
  exitProgram();
}

// Releases the presentation program without closing it and leaves the event loop: main returns,
// and the program's own office goes with the adapter that started it. No window event runs after
// this, the window's close included.
void frmMain::exitProgram() {
  handlePresentationSave();
  services_.presentation.ResetPresentationModel();
  ended_ = true;
  if (present_ != nullptr) {
    present_->hide();
  }
  if (about_ != nullptr) {
    about_->hide();
  }
  hide();
  QCoreApplication::quit();
}

}  // namespace quenlow
