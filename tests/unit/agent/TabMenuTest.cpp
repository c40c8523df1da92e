#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTest>
#include <functional>
#include <vector>

#include "agent/TabButton.h"
#include "agent/TabButtonMenu.h"
#include "agent/TabMenu.h"
#include "tests/support/TestPrinting.h"

namespace {

using Status = TabMenu::Status;

// A tab as the user sees it: its picture and its caption colour.
QString lookOf(const TabButton& tab) {
  QString look;
  switch (tab.look()) {
    case TabButton::Look::Normal:
      look = QStringLiteral("normal");
      break;
    case TabButton::Look::Over:
      look = QStringLiteral("over");
      break;
    case TabButton::Look::Down:
      look = QStringLiteral("down");
      break;
  }
  const QColor caption = tab.captionColor();
  if (caption == QColor(255, 255, 255)) return look + QStringLiteral("/white");
  if (caption == QColor(255, 255, 0)) return look + QStringLiteral("/yellow");
  return look + QStringLiteral("/") + caption.name();
}

QString lookOf(const TabButtonMenu& menu) {
  switch (menu.look()) {
    case TabButtonMenu::Look::Normal:
      return QStringLiteral("normal");
    case TabButtonMenu::Look::Over:
      return QStringLiteral("over");
    case TabButtonMenu::Look::Down:
      return QStringLiteral("down");
  }
  return {};
}

// The looks of the added tabs, from element 2 on.
QStringList tabLooks(const TabMenu& strip) {
  QStringList looks;
  for (int n = 2; strip.tabElement(n) != nullptr; ++n) looks << lookOf(*strip.tabElement(n));
  return looks;
}

QStringList menuLooks(const TabMenu& strip) {
  QStringList looks;
  for (int n = 2; strip.menuElement(n) != nullptr; ++n) looks << lookOf(*strip.menuElement(n));
  return looks;
}

std::vector<bool> focusedTabs(const TabMenu& strip) {
  std::vector<bool> focused;
  for (int n = 1; strip.tabElement(n) != nullptr; ++n)
    focused.push_back(strip.tabElement(n)->Focused);
  return focused;
}

// A strip as the agent's window holds it, recording what its container hears.
class TabStripTest : public testing::Test {
 protected:
  TabStripTest() {
    QObject::connect(&strip, &TabMenu::ItemClick, [this] {
      events << QStringLiteral("ItemClick(%1)").arg(strip.ItemText);
      if (insideItemClick) insideItemClick();
    });
    QObject::connect(&strip, &TabMenu::ItemMenuClick,
                     [this] { events << QStringLiteral("ItemMenuClick(%1)").arg(strip.ItemText); });
  }

  void addTabs(const QStringList& captions) {
    for (const QString& caption : captions) ASSERT_EQ(strip.AddButton(1, caption), Status::Done);
  }

  // Mouse moves travel through the window system, so the strip must be on screen.
  void showStrip() {
    strip.resize(400, 35);
    strip.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&strip));
  }

  // The pointer first goes to the strip's empty end, so that every hover is a fresh move even
  // when the pointer already stood on the target.
  void hover(QWidget* part) {
    QTest::mouseMove(&strip, QPoint(strip.width() - 3, 17));
    QTest::mouseMove(part, QPoint(part->width() / 2, part->height() / 2));
  }

  TabMenu strip;
  QStringList events;
  std::function<void()> insideItemClick;
};

TEST(TabMenuPlacementTest, ElementsFollowEachOtherInTheOrderAdded) {
  struct Case {
    const char* name;
    std::vector<qint16> styles;
    std::vector<int> lefts;  // twips
  };
  const Case cases[] = {
      {"three tabs, a menu button, a tab", {1, 1, 1, 2, 1}, {0, 1050, 2100, 3150, 3555}},
      {"a menu button first", {2, 1}, {0, 405}},
      {"menu buttons between tabs", {1, 2, 2, 1, 2}, {0, 1050, 1455, 1860, 2910}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TabMenu strip;
    int tabNumber = 1;
    int menuNumber = 1;
    for (size_t i = 0; i < c.styles.size(); ++i) {
      SCOPED_TRACE(i);
      const QString caption = QStringLiteral("Tab %1").arg(i);
      ASSERT_EQ(strip.AddButton(c.styles[i], caption), Status::Done);
      QWidget* element = nullptr;
      if (c.styles[i] == 1) {
        TabButton* tab = strip.tabElement(++tabNumber);
        ASSERT_NE(tab, nullptr);
        EXPECT_EQ(tab->Text, caption);
        EXPECT_EQ(tab->caption(), caption);
        EXPECT_EQ(tab->size(), QSize(1050 / 15, 525 / 15));
        element = tab;
      } else {
        TabButtonMenu* menu = strip.menuElement(++menuNumber);
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->size(), QSize(405 / 15, 525 / 15));
        element = menu;
      }
      EXPECT_EQ(element->x() * 15, c.lefts[i]);
      EXPECT_EQ(element->y(), 0);
      EXPECT_TRUE(element->isVisibleTo(&strip));
    }
    EXPECT_EQ(strip.tabElement(tabNumber + 1), nullptr);
    EXPECT_EQ(strip.menuElement(menuNumber + 1), nullptr);
    EXPECT_FALSE(strip.tabElement(1)->isVisibleTo(&strip));
    EXPECT_FALSE(strip.menuElement(1)->isVisibleTo(&strip));
    EXPECT_EQ(tabLooks(strip), QStringList(tabNumber - 1, QStringLiteral("normal/white")));
  }
}

TEST_F(TabStripTest, OtherStylesAddNothingAndATabNeedsNoText) {
  for (const qint16 style : {qint16{0}, qint16{3}, qint16{-1}, qint16{32767}}) {
    SCOPED_TRACE(style);
    EXPECT_EQ(strip.AddButton(style, QStringLiteral("Extra")), Status::Done);
    EXPECT_EQ(strip.tabElement(2), nullptr);
    EXPECT_EQ(strip.menuElement(2), nullptr);
  }
  ASSERT_EQ(strip.AddButton(1), Status::Done);
  ASSERT_NE(strip.tabElement(2), nullptr);
  EXPECT_EQ(strip.tabElement(2)->Text, QString());
  EXPECT_EQ(strip.tabElement(2)->caption(), QString());
}

// Positions are 16-bit twips: the element number times its width, and the left edge, must fit.
TEST(TabMenuOverflowTest, AnElementBeyondTheTwipsRangeStaysHiddenAndKeepsItsNumber) {
  struct Case {
    const char* name;
    int tabsFirst;  // tabs added before the run
    qint16 style;   // what the run adds until it fails
    int added;      // how many of the run succeed
    int lastLeft;   // twips of the last that succeeded
  };
  const Case cases[] = {
      // Tab 31 would be element 32: 32 x 1050 passes 32767.
      {"tabs", 0, 1, 30, 29 * 1050},
      // Menu button 80 would be element 81: 81 x 405 passes 32767.
      {"menu buttons", 0, 2, 79, 78 * 405},
      // Here the products fit; the left edge of the 31st menu button does not.
      {"menu buttons after twenty tabs", 20, 2, 30, 20 * 1050 + 29 * 405},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TabMenu strip;
    for (int i = 0; i < c.tabsFirst; ++i) ASSERT_EQ(strip.AddButton(1), Status::Done);
    const auto element = [&](int number) -> QWidget* {
      if (c.style == 1) return strip.tabElement(number);
      return strip.menuElement(number);
    };
    const int before = c.style == 1 ? c.tabsFirst : 0;
    for (int i = 0; i < c.added; ++i) {
      ASSERT_EQ(strip.AddButton(c.style, QStringLiteral("fits")), Status::Done) << i;
    }
    const int last = before + c.added + 1;
    ASSERT_NE(element(last), nullptr);
    EXPECT_EQ(element(last)->x() * 15, c.lastLeft);
    EXPECT_TRUE(element(last)->isVisibleTo(&strip));

    // The failed element exists, hidden, unplaced and uncaptioned; the next add comes after it
    // and fails as well.
    EXPECT_EQ(strip.AddButton(c.style, QStringLiteral("too far")), Status::Overflow);
    EXPECT_EQ(strip.AddButton(c.style, QStringLiteral("too far")), Status::Overflow);
    for (const int number : {last + 1, last + 2}) {
      SCOPED_TRACE(number);
      ASSERT_NE(element(number), nullptr);
      EXPECT_FALSE(element(number)->isVisibleTo(&strip));
      EXPECT_EQ(element(number)->pos(), QPoint(0, 0));
      if (c.style == 1) {
        EXPECT_EQ(strip.tabElement(number)->Text, QString());
      }
    }
    EXPECT_EQ(element(last + 3), nullptr);
  }
}

TEST_F(TabStripTest, ClickClearsTheOthersAndTellsTheContainerBeforeTheTabLooksSelected) {
  struct Case {
    const char* name;
    std::function<void(TabMenu&)> click;  // clicks the third tab, element 4
    QString lookInside;                   // the clicked tab's look during ItemClick
  };
  const Case cases[] = {
      {"SetTabFocus", [](TabMenu& s) { ASSERT_EQ(s.SetTabFocus(3), Status::Done); },
       QStringLiteral("normal/white")},
      // The press already shows the pressed picture; the caption turns yellow only afterwards.
      {"mouse on the picture",
       [](TabMenu& s) { QTest::mouseClick(s.tabElement(4)->imgButton(), Qt::LeftButton); },
       QStringLiteral("down/white")},
      {"mouse on the caption",
       [](TabMenu& s) { QTest::mouseClick(s.tabElement(4)->lblText(), Qt::LeftButton); },
       QStringLiteral("down/white")},
  };
  addTabs({QStringLiteral("Connection"), QStringLiteral("Launcher"), QStringLiteral("Statistics")});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    insideItemClick = nullptr;
    ASSERT_EQ(strip.SetTabFocus(1), Status::Done);
    events.clear();

    QStringList looksInside;
    std::vector<bool> focusedInside;
    insideItemClick = [&] {
      looksInside = tabLooks(strip);
      focusedInside = focusedTabs(strip);
    };
    c.click(strip);
    EXPECT_EQ(events, QStringList{QStringLiteral("ItemClick(Statistics)")});
    EXPECT_EQ(looksInside, (QStringList{QStringLiteral("normal/white"),
                                        QStringLiteral("normal/white"), c.lookInside}));
    EXPECT_EQ(focusedInside, (std::vector<bool>{false, false, false, false}));
    EXPECT_EQ(tabLooks(strip),
              (QStringList{QStringLiteral("normal/white"), QStringLiteral("normal/white"),
                           QStringLiteral("down/yellow")}));
    EXPECT_EQ(focusedTabs(strip), (std::vector<bool>{false, false, false, true}));

    // The selected tab clicked again is reported again.
    c.click(strip);
    EXPECT_EQ(events, (QStringList{QStringLiteral("ItemClick(Statistics)"),
                                   QStringLiteral("ItemClick(Statistics)")}));
    EXPECT_EQ(tabLooks(strip).last(), QStringLiteral("down/yellow"));
  }
}

TEST_F(TabStripTest, SetTabFocusZeroClicksTheTemplateAndOutOfRangeChangesNothing) {
  struct Case {
    qint16 index;
    Status status;
    QStringList events;
    QString itemText;
    QStringList looks;
  };
  const QStringList unchanged{QStringLiteral("normal/white"), QStringLiteral("down/yellow"),
                              QStringLiteral("normal/white")};
  const Case cases[] = {
      {0,
       Status::Done,
       {QStringLiteral("ItemClick()")},
       QString(),
       QStringList(3, QStringLiteral("normal/white"))},
      {4, Status::MissingElement, {}, QStringLiteral("B"), unchanged},
      {-1, Status::MissingElement, {}, QStringLiteral("B"), unchanged},
      {32767, Status::MissingElement, {}, QStringLiteral("B"), unchanged},
      {-32768, Status::MissingElement, {}, QStringLiteral("B"), unchanged},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    TabMenu fresh;
    QStringList heard;
    QObject::connect(&fresh, &TabMenu::ItemClick,
                     [&] { heard << QStringLiteral("ItemClick(%1)").arg(fresh.ItemText); });
    for (const char* caption : {"A", "B", "C"})
      ASSERT_EQ(fresh.AddButton(1, caption), Status::Done);
    ASSERT_EQ(fresh.SetTabFocus(2), Status::Done);
    heard.clear();

    EXPECT_EQ(fresh.SetTabFocus(c.index), c.status);
    EXPECT_EQ(heard, c.events);
    EXPECT_EQ(fresh.ItemText, c.itemText);
    EXPECT_EQ(tabLooks(fresh), c.looks);
  }
}

TEST_F(TabStripTest, MenuButtonsReportTheirNumberAmongMenuButtons) {
  ASSERT_EQ(strip.AddButton(1, QStringLiteral("A")), Status::Done);
  ASSERT_EQ(strip.AddButton(2), Status::Done);
  ASSERT_EQ(strip.AddButton(1, QStringLiteral("B")), Status::Done);
  ASSERT_EQ(strip.AddButton(2), Status::Done);
  ASSERT_EQ(strip.SetTabFocus(2), Status::Done);
  events.clear();

  QTest::mouseClick(strip.menuElement(2)->imgButton(), Qt::LeftButton);
  QTest::mouseClick(strip.menuElement(3)->imgButton(), Qt::LeftButton);
  EXPECT_EQ(events,
            (QStringList{QStringLiteral("ItemMenuClick(1)"), QStringLiteral("ItemMenuClick(2)")}));
  EXPECT_EQ(strip.ItemText, QStringLiteral("2"));
  // A menu button selects nothing: the selected tab stays, and the buttons keep the pressed
  // picture until the pointer is moved off.
  EXPECT_EQ(tabLooks(strip),
            (QStringList{QStringLiteral("normal/white"), QStringLiteral("down/yellow")}));
  EXPECT_EQ(menuLooks(strip), (QStringList{QStringLiteral("down"), QStringLiteral("down")}));

  strip.MoveMouseOff();
  EXPECT_EQ(menuLooks(strip), (QStringList{QStringLiteral("normal"), QStringLiteral("normal")}));
  EXPECT_EQ(tabLooks(strip),
            (QStringList{QStringLiteral("normal/white"), QStringLiteral("down/yellow")}));
}

TEST_F(TabStripTest, HoverFollowsThePointerButNeverShowsOnTheSelectedTab) {
  addTabs({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
  ASSERT_EQ(strip.SetTabFocus(2), Status::Done);
  events.clear();
  showStrip();
  const QString rest = QStringLiteral("normal/white");
  const QString over = QStringLiteral("over/white");
  const QString selected = QStringLiteral("down/yellow");

  hover(strip.tabElement(2)->imgButton());
  EXPECT_EQ(tabLooks(strip), (QStringList{over, selected, rest}));
  hover(strip.tabElement(4)->lblText());
  EXPECT_EQ(tabLooks(strip), (QStringList{rest, selected, over}));
  // The selected tab still clears the others' hover but shows none of its own.
  hover(strip.tabElement(3)->imgButton());
  EXPECT_EQ(tabLooks(strip), (QStringList{rest, selected, rest}));

  hover(strip.tabElement(2)->lblText());
  ASSERT_EQ(tabLooks(strip), (QStringList{over, selected, rest}));
  strip.MoveMouseOff();
  EXPECT_EQ(tabLooks(strip), (QStringList{rest, selected, rest}));
  EXPECT_TRUE(events.isEmpty());
}

// Hovering an element spares the element of the same number in the other array as well.
TEST_F(TabStripTest, HoverSparesTheSameNumberInBothArrays) {
  addTabs({QStringLiteral("A"), QStringLiteral("B")});
  ASSERT_EQ(strip.AddButton(2), Status::Done);
  ASSERT_EQ(strip.AddButton(2), Status::Done);
  showStrip();

  hover(strip.menuElement(2)->imgButton());
  EXPECT_EQ(menuLooks(strip), (QStringList{QStringLiteral("over"), QStringLiteral("normal")}));
  hover(strip.tabElement(2)->imgButton());
  EXPECT_EQ(tabLooks(strip),
            (QStringList{QStringLiteral("over/white"), QStringLiteral("normal/white")}));
  EXPECT_EQ(menuLooks(strip), (QStringList{QStringLiteral("over"), QStringLiteral("normal")}));
  hover(strip.tabElement(3)->imgButton());
  EXPECT_EQ(tabLooks(strip),
            (QStringList{QStringLiteral("normal/white"), QStringLiteral("over/white")}));
  EXPECT_EQ(menuLooks(strip), (QStringList{QStringLiteral("normal"), QStringLiteral("normal")}));
}

TEST_F(TabStripTest, APressReleasedElsewhereLeavesThePressedLookUntilMovedOff) {
  addTabs({QStringLiteral("A"), QStringLiteral("B")});
  ASSERT_EQ(strip.SetTabFocus(1), Status::Done);
  events.clear();
  QLabel* picture = strip.tabElement(3)->imgButton();

  QTest::mousePress(picture, Qt::LeftButton);
  EXPECT_EQ(tabLooks(strip),
            (QStringList{QStringLiteral("down/yellow"), QStringLiteral("down/white")}));
  QTest::mouseRelease(picture, Qt::LeftButton, {}, QPoint(picture->width() + 20, 5));
  EXPECT_TRUE(events.isEmpty());
  EXPECT_FALSE(strip.tabElement(3)->Focused);
  EXPECT_EQ(tabLooks(strip),
            (QStringList{QStringLiteral("down/yellow"), QStringLiteral("down/white")}));

  // Pressing the selected tab changes nothing a user could see.
  QTest::mousePress(strip.tabElement(2)->lblText(), Qt::LeftButton);
  QTest::mouseRelease(strip.tabElement(2)->lblText(), Qt::LeftButton, {}, QPoint(-5, -5));
  EXPECT_TRUE(events.isEmpty());

  strip.MoveMouseOff();
  EXPECT_EQ(tabLooks(strip),
            (QStringList{QStringLiteral("down/yellow"), QStringLiteral("normal/white")}));
}

TEST(TabMenuSizeTest, TabsAndButtonsKeepTheirSizeAndTheStripItsHeight) {
  TabMenu strip;
  ASSERT_EQ(strip.AddButton(1, QStringLiteral("A")), Status::Done);
  ASSERT_EQ(strip.AddButton(2), Status::Done);
  TabButton* tab = strip.tabElement(2);
  TabButtonMenu* menu = strip.menuElement(2);
  for (const QSize asked : {QSize(200, 10), QSize(1, 1), QSize(70, 100)}) {
    SCOPED_TRACE(asked.width());
    tab->resize(asked);
    menu->resize(asked);
    strip.resize(asked.width() + 300, asked.height());
    EXPECT_EQ(tab->size(), QSize(70, 35));
    EXPECT_EQ(menu->size(), QSize(27, 35));
    EXPECT_EQ(strip.size(), QSize(asked.width() + 300, 35));
  }
}

QString artifactsFolder() {
  const QString fromEnvironment = qEnvironmentVariable("CORVANE_TEST_ARTIFACTS");
  return fromEnvironment.isEmpty() ? QStringLiteral(CORVANE_TEST_ARTIFACTS) : fromEnvironment;
}

bool yellowish(QRgb p) { return qRed(p) > 170 && qGreen(p) > 170 && qBlue(p) < 120; }
bool whitish(QRgb p) { return qRed(p) > 200 && qGreen(p) > 200 && qBlue(p) > 200; }

int countIn(const QImage& image, const QRect& area, bool (*test)(QRgb)) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) count += test(image.pixel(x, y)) ? 1 : 0;
  }
  return count;
}

// What a user sees: a blue-violet strip, white captions on the bare strip, the selected tab dark
// with a yellow caption. The picture is kept for people to look at, not compared pixel by pixel.
TEST_F(TabStripTest, TheStripShowsTheSelectedTabDarkWithAYellowCaption) {
  addTabs({QStringLiteral("Connection"), QStringLiteral("Launcher"), QStringLiteral("Statistics")});
  ASSERT_EQ(strip.SetTabFocus(2), Status::Done);
  strip.resize(300, 35);
  strip.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&strip));
  const QImage image = strip.grab().toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(image.size(), QSize(300, 35));
  if (QDir().mkpath(artifactsFolder())) {
    const QString path = QDir(artifactsFolder()).filePath(QStringLiteral("tab-strip.png"));
    if (!image.save(path)) std::fprintf(stderr, "could not write %s\n", qPrintable(path));
  }

  const QRgb bare = image.pixel(280, 17);
  EXPECT_GT(qBlue(bare), 150);
  EXPECT_GT(qBlue(bare) - qRed(bare), 80);
  EXPECT_GT(qRed(bare), 50);

  const QRect firstCaption(0, 13, 65, 17);
  const QRect secondCaption(70, 13, 65, 17);
  EXPECT_GT(countIn(image, secondCaption, yellowish), 5);
  EXPECT_EQ(countIn(image, firstCaption, yellowish), 0);
  EXPECT_GT(countIn(image, firstCaption, whitish), 5);
  EXPECT_EQ(countIn(image, secondCaption, whitish), 0);

  // Above the captions the selected tab is dark navy, the others the strip's own colour.
  const QRgb selectedBody = image.pixel(70 + 32, 8);
  const QRgb restingBody = image.pixel(32, 8);
  EXPECT_LT(qRed(selectedBody), 70);
  EXPECT_GT(qBlue(selectedBody), 90);
  EXPECT_LT(qBlue(selectedBody), 170);
  EXPECT_GT(qRed(restingBody), qRed(selectedBody) + 30);
}

}  // namespace
