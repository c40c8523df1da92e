#pragma once

#include <QIcon>
#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

#include "platform/TrayIcon.h"

// A tray that shows nothing: it keeps the icon's state as the desktop would, records each call,
// and can lack a host. click() delivers a mouse message as the desktop would.
class FakeTrayIcon final : public TrayIcon {
 public:
  bool host = true;
  bool present = false;
  QIcon icon;
  QString tip;
  QStringList calls;
  // The pictures the icon showed, in order (QIcon::cacheKey), from each add or change.
  QList<qint64> pictures;

  bool hostAvailable() const override { return host; }
  bool add(const QIcon& picture, const QString& text) override {
    calls << QStringLiteral("add");
    if (present) {
      return false;
    }
    present = true;
    icon = picture;
    tip = text;
    pictures << picture.cacheKey();
    return true;
  }
  bool modify(const QIcon& picture, const QString& text) override {
    calls << QStringLiteral("modify");
    if (!present) {
      return false;
    }
    icon = picture;
    tip = text;
    pictures << picture.cacheKey();
    return true;
  }
  bool remove() override {
    calls << QStringLiteral("remove");
    const bool was = present;
    present = false;
    return was;
  }
  void setMouseHandler(MouseHandler handler) override { handler_ = std::move(handler); }

  void click(int message) const {
    if (handler_) {
      handler_(message);
    }
  }

 private:
  MouseHandler handler_;
};
