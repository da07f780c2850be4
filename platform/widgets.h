#pragma once

#include "platform/guarded.h"

#include <QIcon>
#include <QString>

class QLabel;
class QPushButton;
class QToolButton;
class QWidget;

namespace vestan {

// A control's signal handler: the signal's arguments are ignored and what
// escapes the handler goes to the host's standard error display.
template <typename F> auto guardedSlot(Host &host, F handler)
{
    return guarded(host, [handler = std::move(handler)](auto &&...) { handler(); });
}

// Every control carries its layout name as objectName and its hint as the
// property "hint"; shown hints are also its tool tip.
void setHint(QWidget *widget, const QString &hint, bool shown = true);

enum TextFieldLook : unsigned
{
    kPlain = 0,
    kSunken = 1, // lowered border
    kCentred = 2,
    kLightBackground = 4,
};

// A read-only static text.
QLabel *makeTextField(QWidget *parent, const char *name, const QString &text,
                      unsigned look = kPlain, const QString &hint = QString());

// A flat button that shows a small picture and no text.
QToolButton *makePictureButton(QWidget *parent, const char *name, const QIcon &icon,
                               const QString &hint, bool hintShown = true);

// A flat button that shows a text.
QToolButton *makeTextButton(QWidget *parent, const char *name, const QString &caption,
                            const QString &hint = QString());

// An ordinary push button.
QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption,
                        const QString &hint = QString());

} // namespace vestan
