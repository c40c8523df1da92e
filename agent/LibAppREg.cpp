#include "agent/LibAppREg.h"

namespace {

QString element(const char* name, const QString& value) {
  const QString tag = QString::fromLatin1(name);
  return u'<' + tag + u'>' + value + QStringLiteral("</") + tag + u'>';
}

// The first letter of the flag's text form ("True" / "False"), upper-cased.
QChar statusLetter(bool flag) { return flag ? u'T' : u'F'; }

}  // namespace

void LibAppREg::InitProductInfo(const QString& appVersion) {
  ProductCode = QStringLiteral("QZD");
  ProductVersion = appVersion;
}

QString LibAppREg::ProductNameFromCode(const QString& code) {
  if (code == u"QZD" || code == u"QZ") {
    return QStringLiteral("CorvaneControl");
  }
  return {};
}

QString LibAppREg::BuildInfoReply() {
  QString status;
  status += statusLetter(media_.IsRepeating);
  status += statusLetter(media_.IsShuffling);
  status += statusLetter(media_.IsMuted);
  // Values go in as they stand: neither sanitised nor escaped.
  return element("PRODUCT", ProductCode.toUpper()) + element("VERSION", ProductVersion.toUpper()) +
         element("SOURCE", {}) + element("SOURCE_URL", {}) +
         element("PLAYLIST", media_.CurrentPlaylist) + element("SONG", media_.LastMediaName) +
         element("STATUS", status) + element("VOL", QString::number(volume_.GetMasterVolume())) +
         u' ';
}
