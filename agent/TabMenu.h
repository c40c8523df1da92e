#pragma once

#include <QString>
#include <QWidget>
#include <QtGlobal>
#include <vector>

class QLabel;
class QResizeEvent;
class TabButton;
class TabButtonMenu;
class TabStripElement;

// The row of tabs across the top of the agent's window. It lays out tabs and menu buttons left to
// right in the order they were added, keeps one tab selected once its container has selected one,
// and reports clicks through ItemClick and ItemMenuClick with the detail in ItemText.
//
// Tabs and menu buttons live in two element arrays, numbered from 1. Element 1 of each is a hidden
// template that is never shown; the n-th tab added is tab element n + 1, the n-th menu button menu
// element n + 1. Elements are never removed.
class TabMenu : public QWidget {
  Q_OBJECT

 public:
  explicit TabMenu(QWidget* parent = nullptr);

  // Failures are statuses; nothing here throws.
  enum class Status { Done, Overflow, MissingElement };

  // Style 1 appends a tab captioned ItemText, 2 a menu button, any other value nothing (Done).
  // Positions are 16-bit twips: an element whose number times its width, or whose left edge,
  // would pass 32767 gives Overflow. That element was created already; it stays hidden and keeps
  // its number, so the next one gets the number after it.
  [[nodiscard]] Status AddButton(qint16 Style_1_Tab_2_Menu, const QString& ItemText = QString());
  // Clicks the Index-th added tab as the mouse would. Index 0 clicks the hidden template, which
  // clears every tab and reports an empty ItemText. MissingElement, with nothing changed, for an
  // Index below 0 or above the number of added tabs.
  [[nodiscard]] Status SetTabFocus(qint16 Index);
  // RemoveFocus on every tab but element number Index (0: on all of them).
  void RemoveTabFocus(qint16 Index = 0);
  // MoveMouseOff on every tab and menu button but element number Index (0: on all). The one
  // number is compared with both arrays, so tab and menu element Index are both spared.
  void MoveMouseOff(qint16 Index = 0);

  // The Text of the tab clicked last, or the number (from 1) of the menu button clicked last.
  QString ItemText;

  // Element number n of each array (1 = the hidden template), nullptr if there is none.
  [[nodiscard]] TabButton* tabElement(int number) const;
  [[nodiscard]] TabButtonMenu* menuElement(int number) const;

 signals:
  void ItemClick();
  void ItemMenuClick();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void TabButton_Click(qint16 Index);
  void TabButton_MouseMove(qint16 Index);
  void TabButtonMenu_Click(qint16 Index);
  void TabButtonMenu_MouseMove(qint16 Index);
  void UserControl_Resize();
  TabButton* loadTab();
  TabButtonMenu* loadMenu();
  void load(TabStripElement* element, qint16 number, void (TabMenu::*click)(qint16),
            void (TabMenu::*mouseMove)(qint16));

  QLabel* ImgBG;
  // Index 0 holds element 1, the template; the widgets belong to the strip.
  std::vector<TabButton*> TabButtons;
  std::vector<TabButtonMenu*> TabButtonMenus;
};
