#include <gtest/gtest.h>

#include <QString>

#include "agent/DebugLog.h"
#include "tests/support/FakeAgentView.h"

namespace {

// A view that counts how often it is given the whole text, the costly way to show the log.
class CountingView final : public FakeAgentView {
 public:
  int wholeTexts = 0;
  void setDebugLog(const QString& text) override {
    ++wholeTexts;
    FakeAgentView::setDebugLog(text);
  }
};

TEST(DebugLogTest, WritesOnlyInDebugMode) {
  CountingView view;
  DebugLog log(view);
  log.Append(QStringLiteral("SND: <<A|B|C>>\r\n"));
  EXPECT_EQ(view.log, QString());
  log.DebugMode = true;
  log.Append(QStringLiteral("SND: <<A|B|C>>\r\n"));
  EXPECT_EQ(view.log, QStringLiteral("SND: <<A|B|C>>\r\n"));
  EXPECT_EQ(view.wholeTexts, 0);
}

// A session of frames far longer than the bound: the log keeps the newest text, never more than
// the bound, and shows its whole text again only now and then.
TEST(DebugLogTest, KeepsTheNewestTextWithinItsBound) {
  CountingView view;
  DebugLog log(view);
  log.DebugMode = true;
  const QString frame = QStringLiteral("\r\nRCV: \r\n<<PRESENT|RIGHT|>>\r\n\r\n");
  constexpr int kFrames = 100000;
  for (int i = 0; i < kFrames; ++i) {
    log.Append(frame + QString::number(i));
    ASSERT_LE(log.text().size(), DebugLog::kMaxChars);
  }
  EXPECT_TRUE(log.text().endsWith(frame + QString::number(kFrames - 1)));
  EXPECT_EQ(view.log, log.text());
  const qsizetype written = static_cast<qsizetype>(frame.size() + 5) * kFrames;
  EXPECT_LE(view.wholeTexts, 2 * written / DebugLog::kMaxChars + 1);

  // One text longer than the whole bound keeps its own end.
  log.Append(QString(DebugLog::kMaxChars * 2, u'x') + QStringLiteral("end"));
  EXPECT_LE(log.text().size(), DebugLog::kMaxChars);
  EXPECT_TRUE(log.text().endsWith(u"xend"));

  log.Clear();
  EXPECT_EQ(view.log, QString());
}

}  // namespace
