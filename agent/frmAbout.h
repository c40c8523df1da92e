#pragma once

#include <QString>
#include <QWidget>
#include <memory>

#include "agent/LibAppREg.h"
#include "platform/DesktopShell.h"
#include "platform/MessageBoxes.h"

class QCloseEvent;
class QKeyEvent;
class QLabel;
class QPushButton;

// The desktop services the About box uses.
struct AboutBoxServices {
  MessageBoxes& boxes;
  DesktopShell& shell;
  // The folder of the running program: the manual lies there.
  QString programFolder;
};

// What the About box tells about the program.
struct AboutDetails {
  QString productCode;
  QString applicationTitle;
  int major = 0;
  int minor = 0;
  int revision = 0;
};

// The agent's About box: product, version and a legal warning, with buttons for the manual, the
// update check and the credits. It is modeless and has no owner, so the main window stays usable
// (and may go to the tray) while it is open; it never keeps the program running on its own.
class frmAbout final : public QWidget {
  Q_OBJECT

 public:
  static constexpr const char* kManualFileName = "qzDocumentation.pdf";
  static constexpr int kCreditPointSize = 12;

  frmAbout(const AboutBoxServices& services, const AboutDetails& details,
           QWidget* parent = nullptr);

  // The update-check page of a product version: the site's folder for them, then the code and the
  // three numbers run together ("QZD_217.htm" for 2.1.7).
  [[nodiscard]] static QString UpdateCheckAddress(const QString& productCode, int major, int minor,
                                                  int revision);
  [[nodiscard]] static QString DisclaimerText();
  [[nodiscard]] static QString CreditText();
  [[nodiscard]] static QString LegalPageAddress();

  // Caption, title, version and the warning.
  void Form_Load();
  // Closes the box; it is made again the next time it is asked for.
  void cmdOK_Click();
  // Opens the manual, or says it is missing; the box stays open either way.
  void cmdHelpFiles_Click();
  // Opens this version's update-check page and closes the box.
  void cmdCheckUpdate_Click();
  // The warning gives way to the credits.
  void cmdCredit_Click();
  void lblDisclaimer_Click();

  QLabel* imgIcon = nullptr;
  QLabel* lblTitle = nullptr;
  QLabel* lblVersion = nullptr;
  QLabel* lblDisclaimer = nullptr;
  QPushButton* cmdOK = nullptr;
  QPushButton* cmdHelpFiles = nullptr;
  QPushButton* cmdCheckUpdate = nullptr;
  QPushButton* cmdCredit = nullptr;

 signals:
  // The box was closed, by its buttons or by the window manager.
  void unloaded();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildControls();

  AboutBoxServices services_;
  AboutDetails details_;
};

// Opens the agent's About box on request: one box at a time, made afresh each time it was closed.
// It reads the product's code and version when it opens, since they are set by the main window's
// load, after this is made.
class AboutBox {
 public:
  // The title the box gives the program.
  static constexpr const char* kApplicationTitle = "Corvane";

  AboutBox(const AboutBoxServices& services, const LibAppREg& product);
  ~AboutBox();
  AboutBox(const AboutBox&) = delete;
  AboutBox& operator=(const AboutBox&) = delete;

  // Shows the box, modeless; when it is open already, brings it to the front instead.
  void ShowAboutForm();
  // The open box, or none.
  [[nodiscard]] frmAbout* form() const { return form_.get(); }

  // The details for a product code and its version text, major "." minor "." revision; a missing
  // or unreadable number counts as 0.
  [[nodiscard]] static AboutDetails DetailsOf(const QString& productCode,
                                              const QString& versionText);

 private:
  AboutBoxServices services_;
  const LibAppREg& product_;
  std::unique_ptr<frmAbout> form_;
};
