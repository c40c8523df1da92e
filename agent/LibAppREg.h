#pragma once

#include <QString>

#include "agent/CommandActions.h"
#include "agent/LibWMPCustom.h"
#include "agent/libWMP.h"

// The agent's product identity: its code and version, the product name the captions show, and
// the body of the version reply, which also carries the media player's state and the master
// volume.
class LibAppREg final : public ProductInfo {
 public:
  LibAppREg(const libWMP& media, LibWMPCustom& volume) : media_(media), volume_(volume) {}

  QString ProductCode;
  QString ProductVersion;

  // ProductCode "QZD", ProductVersion the program's version text.
  void InitProductInfo(const QString& appVersion);
  // "CorvaneControl" for exactly "QZD" or "QZ", else "".
  [[nodiscard]] static QString ProductNameFromCode(const QString& code);
  // The eight elements of the version reply, in order, with the space after "</VOL>".
  [[nodiscard]] QString BuildInfoReply() override;

 private:
  const libWMP& media_;
  LibWMPCustom& volume_;
};
