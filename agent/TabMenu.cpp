#include "agent/TabMenu.h"

#include <QLabel>
#include <QResizeEvent>
#include <limits>

#include "agent/TabArtwork.h"
#include "agent/TabButton.h"
#include "agent/TabButtonMenu.h"
#include "agent/TabStripElement.h"

using TabArtwork::pixelsFromTwips;

namespace {

constexpr qint32 kTabWidth = 1050;
constexpr qint32 kMenuWidth = 405;
constexpr qint32 kStripHeight = 525;

}  // namespace

TabMenu::TabMenu(QWidget* parent) : QWidget(parent), ImgBG(new QLabel(this)) {
  ImgBG->setScaledContents(true);
  ImgBG->setPixmap(TabArtwork::stripBackground());
  // Moves and clicks inside the strip are the strip's: they must not reach the window beneath,
  // whose own mouse-move handling clears the tabs' hover looks.
  setAttribute(Qt::WA_NoMousePropagation);
  setFixedHeight(pixelsFromTwips(kStripHeight));
  TabButtons.push_back(loadTab());
  TabButtonMenus.push_back(loadMenu());
  UserControl_Resize();
}

// The caption is not called ItemText here, the name of the strip's own variable.
TabMenu::Status TabMenu::AddButton(qint16 Style_1_Tab_2_Menu, const QString& caption) {
  if (Style_1_Tab_2_Menu != 1 && Style_1_Tab_2_Menu != 2) return Status::Done;
  const auto tabs = static_cast<qint32>(TabButtons.size());
  const auto menus = static_cast<qint32>(TabButtonMenus.size());
  // The strip's positions are 16-bit twips. Each step of the arithmetic is checked, not only the
  // result, so that an element is refused exactly where a 16-bit computation would overflow.
  bool overflow = false;
  const auto fit = [&overflow](qint32 value) {
    if (value < std::numeric_limits<qint16>::min() || value > std::numeric_limits<qint16>::max())
      overflow = true;
    return value;
  };
  if (Style_1_Tab_2_Menu == 1) {
    const qint32 number = fit(tabs + 1);
    if (overflow) return Status::Overflow;
    TabButton* tab = loadTab();
    TabButtons.push_back(tab);
    const qint32 left =
        fit(fit(fit(number * kTabWidth) - 2 * kTabWidth) + fit(fit(menus - 1) * kMenuWidth));
    if (overflow) return Status::Overflow;
    tab->move(pixelsFromTwips(left), 0);
    tab->SetText(caption);
    tab->show();
  } else {
    const qint32 number = fit(menus + 1);
    if (overflow) return Status::Overflow;
    TabButtonMenu* menu = loadMenu();
    TabButtonMenus.push_back(menu);
    const qint32 left =
        fit(fit(fit(tabs - 1) * kTabWidth) + fit(fit(number * kMenuWidth) - 2 * kMenuWidth));
    if (overflow) return Status::Overflow;
    menu->move(pixelsFromTwips(left), 0);
    menu->show();
  }
  return Status::Done;
}

TabMenu::Status TabMenu::SetTabFocus(qint16 Index) {
  const qint32 number = qint32{Index} + 1;
  TabButton* tab = tabElement(number);
  if (tab == nullptr) return Status::MissingElement;
  tab->Click();
  return Status::Done;
}

void TabMenu::RemoveTabFocus(qint16 Index) {
  for (size_t i = 0; i < TabButtons.size(); ++i) {
    if (static_cast<qint32>(i) + 1 != Index) TabButtons[i]->RemoveFocus();
  }
}

void TabMenu::MoveMouseOff(qint16 Index) {
  for (size_t i = 0; i < TabButtons.size(); ++i) {
    if (static_cast<qint32>(i) + 1 != Index) TabButtons[i]->MoveMouseOff();
  }
  for (size_t j = 0; j < TabButtonMenus.size(); ++j) {
    if (static_cast<qint32>(j) + 1 != Index) TabButtonMenus[j]->MoveMouseOff();
  }
}

TabButton* TabMenu::tabElement(int number) const {
  if (number < 1 || static_cast<size_t>(number) > TabButtons.size()) return nullptr;
  return TabButtons[static_cast<size_t>(number) - 1];
}

TabButtonMenu* TabMenu::menuElement(int number) const {
  if (number < 1 || static_cast<size_t>(number) > TabButtonMenus.size()) return nullptr;
  return TabButtonMenus[static_cast<size_t>(number) - 1];
}

void TabMenu::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  UserControl_Resize();
}

// The other tabs are cleared and the container hears of the click before the clicked tab takes
// its selected look (TabButton::Click does that after this returns).
void TabMenu::TabButton_Click(qint16 Index) {
  RemoveTabFocus(Index);
  ItemText = tabElement(Index)->Text;
  emit ItemClick();
}

void TabMenu::TabButton_MouseMove(qint16 Index) { MoveMouseOff(Index); }

void TabMenu::TabButtonMenu_Click(qint16 Index) {
  ItemText = QString::number(Index - 1);
  emit ItemMenuClick();
}

void TabMenu::TabButtonMenu_MouseMove(qint16 Index) { MoveMouseOff(Index); }

// The width is the container's to set; the height is always the strip's own.
void TabMenu::UserControl_Resize() { ImgBG->setGeometry(0, 0, width(), height()); }

TabButton* TabMenu::loadTab() {
  auto* tab = new TabButton(this);
  load(tab, static_cast<qint16>(TabButtons.size() + 1), &TabMenu::TabButton_Click,
       &TabMenu::TabButton_MouseMove);
  return tab;
}

TabButtonMenu* TabMenu::loadMenu() {
  auto* menu = new TabButtonMenu(this);
  load(menu, static_cast<qint16>(TabButtonMenus.size() + 1), &TabMenu::TabButtonMenu_Click,
       &TabMenu::TabButtonMenu_MouseMove);
  return menu;
}

// A new element is hidden and at rest, at the strip's top left, until it is placed. Its events
// reach the handlers with the number it has in its own array.
void TabMenu::load(TabStripElement* element, qint16 number, void (TabMenu::*click)(qint16),
                   void (TabMenu::*mouseMove)(qint16)) {
  element->hide();
  element->move(0, 0);
  connect(element, &TabStripElement::ClickRaised, this,
          [this, number, click] { (this->*click)(number); });
  connect(element, &TabStripElement::MouseMoveRaised, this,
          [this, number, mouseMove] { (this->*mouseMove)(number); });
}
