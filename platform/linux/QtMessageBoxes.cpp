#include "platform/linux/QtMessageBoxes.h"

#include <QMessageBox>

namespace {

QMessageBox::Icon toQt(MessageBoxIcon icon) {
  switch (icon) {
    case MessageBoxIcon::Critical:
      return QMessageBox::Critical;
    case MessageBoxIcon::Question:
      return QMessageBox::Question;
    case MessageBoxIcon::Exclamation:
      return QMessageBox::Warning;
    case MessageBoxIcon::Information:
      return QMessageBox::Information;
    case MessageBoxIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons toQt(MessageBoxButtons buttons) {
  switch (buttons) {
    case MessageBoxButtons::OkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageBoxButtons::YesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case MessageBoxButtons::YesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MessageBoxButtons::Ok:
      break;
  }
  return QMessageBox::Ok;
}

MessageBoxAnswer fromQt(int button) {
  switch (button) {
    case QMessageBox::Yes:
      return MessageBoxAnswer::Yes;
    case QMessageBox::No:
      return MessageBoxAnswer::No;
    case QMessageBox::Cancel:
      return MessageBoxAnswer::Cancel;
    default:
      return MessageBoxAnswer::Ok;
  }
}

}  // namespace

MessageBoxAnswer QtMessageBoxes::show(MessageBoxIcon icon, MessageBoxButtons buttons,
                                      const QString& text, const QString& title) {
  QMessageBox box(toQt(icon), title, text, toQt(buttons), parent_);
  return fromQt(box.exec());
}
