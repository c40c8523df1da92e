#include "agent/LibNotify.h"

#include <QLatin1StringView>
#include <array>
#include <optional>

#include "agent/FrameText.h"
#include "agent/Pause.h"
#include "shared/PresentationText.h"

namespace {

struct TitleRule {
  enum class Where { Anywhere, AtStart };
  QLatin1StringView upperCasedPart;
  Where where;
  QLatin1StringView type;
};
using enum TitleRule::Where;

// The first rule that the upper-cased title meets gives the type. The programs that stand in for
// the original ones on Linux sit in the rows of the programs they replace, so that the order
// between the rows stays as it was.
constexpr std::array<TitleRule, 11> kTitleRules = {{
    {QLatin1StringView("MICROSOFT INTERNET EXPLORER"), Anywhere, QLatin1StringView("BROWSER")},
    {QLatin1StringView("FIREFOX"), Anywhere, QLatin1StringView("BROWSER")},
    // Linux: the other desktop browsers end their titles with their own names.
    {QLatin1StringView("CHROMIUM"), Anywhere, QLatin1StringView("BROWSER")},
    {QLatin1StringView("GOOGLE CHROME"), Anywhere, QLatin1StringView("BROWSER")},
    {QLatin1StringView("WEB BROWSER"), Anywhere, QLatin1StringView("BROWSER")},
    {QLatin1StringView("WINDOWS MEDIA"), Anywhere, QLatin1StringView("WMPLAYER")},
    {QLatin1StringView("ITUNES"), Anywhere, QLatin1StringView("MEDIA_ITUNES")},
    {QLatin1StringView("MICROSOFT POWERPOINT"), Anywhere, QLatin1StringView("POWERPOINT")},
    {QLatin1StringView("MACROMEDIA FLASH"), Anywhere, QLatin1StringView("POWERPOINT")},
    // Linux: LibreOffice Impress is the presentation program. Its editing window is titled
    // "<file> - LibreOffice Impress"; its slide-show window (7.4) only "Presenting: <document>",
    // so that one is known by the start of its title.
    {QLatin1StringView("LIBREOFFICE IMPRESS"), Anywhere, QLatin1StringView("POWERPOINT")},
    {QLatin1StringView("PRESENTING: "), AtStart, QLatin1StringView("POWERPOINT")},
}};

constexpr QLatin1StringView kOtherType("OTHER");

}  // namespace

LibNotify::LibNotify(WindowSystem& windows, ReplySender& reply, LinkState& link,
                     const TickClock& clock, EventPump& pump)
    : windows_(windows), reply_(reply), link_(link), clock_(clock), pump_(pump) {}

QString LibNotify::GetWindowTitle(WindowHandle window) {
  pump_.ProcessPendingEvents();
  const std::optional<QString> title = windows_.windowTitle(window);
  if (!title) {
    return {};
  }
  return title->left(kWindowTitleChars);
}

QString LibNotify::ClassifyWindowTitle(QStringView title) {
  const QString upper = title.toString().toUpper();
  for (const TitleRule& rule : kTitleRules) {
    const bool met = rule.where == AtStart ? upper.startsWith(rule.upperCasedPart)
                                           : upper.contains(rule.upperCasedPart);
    if (met) {
      return rule.type;
    }
  }
  return kOtherType;
}

void LibNotify::NotifyForegroundChange(bool force) {
  pump_.ProcessPendingEvents();
  const QString title = StripFraming(GetWindowTitle(windows_.foregroundWindow()));
  if (title == LastWindowTitle && !force) {
    return;
  }
  // The agent changed the window itself: the new title is only the reference.
  if (SuppressWindowNotify) {
    SuppressWindowNotify = false;
    LastWindowTitle = title;
    return;
  }
  LastWindowTitle = title;
  // A window without a title (the desktop) is never reported.
  if (title.isEmpty()) {
    return;
  }
  if (force) {
    Pause(clock_, pump_, kForcedReportPauseMs);
  }
  const QString type = ClassifyWindowTitle(title);
  // A closed link sends nothing, yet the reference above was updated: the change is not
  // reported later when the link opens.
  if (link_.IsPortOpen()) {
    reply_.SendReply(QStringLiteral("CHANGEUI"),
                     type + u'[' + title.left(kReportedTitleChars) + u']', QString());
  }
}

void LibNotify::ForegroundTimer_Tick() {
  if (link_.IsSessionActive()) {
    NotifyForegroundChange(false);
  }
}
