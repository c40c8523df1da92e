#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QTimer>

#include "editor/EditorServices.h"
#include "editor/LibSlideMgr.h"
#include "editor/frmAbout.h"
#include "editor/frmPresent.h"
#include "shared/LibParser.h"
#include "shared/widgets/Twips.h"

class QAction;
class QCheckBox;
class QCloseEvent;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QShowEvent;

namespace quenlow {

// The editor's main window: the slide list, the detail panel over the picture of the handheld,
// the menus and the status bar with the total time, the date and the Caps Lock state. The slide
// list and panel are driven by LibSlideMgr, which the window owns.
class frmMain final : public QMainWindow {
  Q_OBJECT

 public:
  // Positions and sizes of the layout are in twips, 15 to a pixel.
  static constexpr int kTwipsPerPixel = twips::kTwipsPerPixel;
  [[nodiscard]] static constexpr int px(int length) { return twips::px(length); }
  // The client area (9405 x 5670 twips) beneath the menu bar: the frame and the status bar.
  static constexpr QSize kClientSize{627, 378};
  // How often the Caps Lock panel asks the keyboard; a key event asks at once.
  static constexpr int kLockPollMs = 250;

  explicit frmMain(const EditorServices& services, QWidget* parent = nullptr);
  ~frmMain() override;
  frmMain(const frmMain&) = delete;
  frmMain& operator=(const frmMain&) = delete;

  [[nodiscard]] LibSlideMgr& slides() { return slides_; }
  [[nodiscard]] const EditorServices& services() const { return services_; }
  // The "Assign Slide Times" dialog while it is open.
  [[nodiscard]] frmPresent* presentDialog() const { return present_; }
  // The About box while it is open.
  [[nodiscard]] frmAbout* aboutBox() const { return about_; }
  // The presentation program is at work (it runs the event loop meanwhile): the window's commands
  // do nothing until it is done.
  [[nodiscard]] bool officeWorking() const { return officeWork_ > 0; }
  // Exit or the window's close has run: the program ends.
  [[nodiscard]] bool ended() const { return ended_; }

  // The panel's text boxes as the slide records hold their texts. A box the user has not
  // changed since it was filled gives back what it was filled with, so that a text the box
  // cannot show exactly (CR LF, a lone CR) goes back unchanged.
  void setTitleText(const QString& title);
  [[nodiscard]] QString titleText() const;
  void setNotesText(const QString& note);
  [[nodiscard]] QString notesText() const;
  // The status bar's first panel.
  void setTotalTimeText(const QString& text);
  [[nodiscard]] QString totalTimeText() const;

  // The window's handlers; the controls and menus call them.
  void Form_Load();
  void handlePresentationSave();
  void m_NewPres_Click();
  void m_OpenPres_Click();
  void m_savePres_Click();
  void m_exit_Click();
  void m_Notes_Click();
  void m_helpFile_Click();
  void m_visit_website_Click();
  void m_about_Click();
  // Sees every key of the window before the focused control; true when the key was F1.
  bool Form_KeyDown(int keyCode, Qt::KeyboardModifiers shift);
  void List1_Click();
  void cmdAddSlide_Click();
  void cmdRemoveSlide_Click();
  void cmdApplyAllSlides_Click();
  void cmdPresent_Click();
  void Command1_Click();
  void cmdLoad_Click();
  void comMin_Click();
  void comSec_Change();
  void comSec_Click();
  void comMin_DropDown();
  void comSec_DropDown();
  void optCountAsc_Click();
  void optCountDesc_Click();
  void chkVibrateDevice_Click();
  // The user changed the title or the notes, by whatever means.
  void txtSlideTitle_Change();
  void txtNotes_Change();
  // The Caps Lock panel follows the keyboard; the date panel the calendar.
  void tmrLocks_Timer();

  // Menus.
  QMenu* m_file = nullptr;
  QAction* m_NewPres = nullptr;
  QAction* m_OpenPres = nullptr;
  QAction* m_savePres = nullptr;
  QAction* m_exit = nullptr;
  QMenu* m_update = nullptr;
  QAction* m_Notes = nullptr;
  QMenu* m_help = nullptr;
  QAction* m_helpFile = nullptr;
  QAction* m_visit_website = nullptr;
  QAction* m_about = nullptr;

  // The client area and its controls.
  QWidget* client = nullptr;
  QGroupBox* Frame1 = nullptr;
  QLabel* lblFileName = nullptr;
  QLabel* lblSlideHeader = nullptr;
  QListWidget* List1 = nullptr;
  QGroupBox* fraSlideDet = nullptr;
  QLabel* lblHdrSlideTitle = nullptr;
  QLineEdit* txtSlideTitle = nullptr;
  QLabel* lblHdrMin = nullptr;
  QComboBox* comMin = nullptr;
  QLabel* lblHdrSec = nullptr;
  QComboBox* comSec = nullptr;
  QGroupBox* Frame2 = nullptr;
  QRadioButton* optCountAsc = nullptr;
  QRadioButton* optCountDesc = nullptr;
  QCheckBox* chkVibrateDevice = nullptr;
  QPushButton* cmdApplyAllSlides = nullptr;
  QPushButton* cmdAddSlide = nullptr;
  QPushButton* cmdRemoveSlide = nullptr;
  QPushButton* cmdPresent = nullptr;
  QLabel* Picture1 = nullptr;
  QPlainTextEdit* txtNotes = nullptr;
  QLabel* lblDevSim = nullptr;
  QPushButton* Command1 = nullptr;
  QPushButton* cmdLoad = nullptr;
  QWidget* StatusBar1 = nullptr;
  QLabel* panelTotalTime = nullptr;
  QLabel* panelDate = nullptr;
  QLabel* panelCaps = nullptr;

  QTimer tmrLocks;

 signals:
  // F1 was pressed in the window, whichever control had the focus.
  void helpKeyPressed();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildMenus();
  void buildFrame();
  void buildSlideDetails();
  void buildStatusBar();
  void connectControls();
  [[nodiscard]] bool isOwnWidget(const QObject* object) const;

  class OfficeWork;
  void savePresentationNotes();
  void openChosenPresentation(const QString& chosen);
  void writeNotesFile(const QString& path);
  void reportSaveFailure(const QString& path);
  void showFromFirstSlide();
  void setUpdateMenu(bool enabled);
  void openManual(bool reportMissing);
  void exitProgram();

  EditorServices services_;
  LibSlideMgr slides_;
  QPointer<frmPresent> present_;
  QPointer<frmAbout> about_;
  // The scan position of the editor's notes file reads.
  LibParser parser_;
  // How many pieces of presentation-program work are under way, nested.
  int officeWork_ = 0;
  // The window was asked to close while the presentation program worked: it closes afterwards.
  bool closePending_ = false;
  bool updateMenuEnabled_ = false;
  bool ended_ = false;
  // What the text boxes were last filled with, and what they showed after it.
  QString filledTitle_;
  QString shownTitle_;
  QString filledNote_;
  QString shownNote_;
  // The notes box is being filled: its change is not the user's.
  bool fillingNotes_ = false;
  bool centred_ = false;
  // The drop-down lists of the time boxes, made with the boxes so that their opening is seen.
  QWidget* minPopup_ = nullptr;
  QWidget* secPopup_ = nullptr;
};

}  // namespace quenlow
