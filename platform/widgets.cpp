#include "platform/widgets.h"

#include <QLabel>
#include <QPushButton>
#include <QToolButton>

namespace vestan {

void setHint(QWidget *widget, const QString &hint, bool shown)
{
    widget->setProperty("hint", hint);
    if (shown)
        widget->setToolTip(hint);
}

QLabel *makeTextField(QWidget *parent, const char *name, const QString &text, unsigned look,
                      const QString &hint)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    if (look & kSunken)
        label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    label->setAlignment((look & kCentred) ? Qt::AlignCenter : (Qt::AlignLeft | Qt::AlignVCenter));
    if (look & kLightBackground) {
        label->setAutoFillBackground(true);
        label->setBackgroundRole(QPalette::Base);
    }
    if (!hint.isEmpty())
        setHint(label, hint);
    return label;
}

QToolButton *makePictureButton(QWidget *parent, const char *name, const QIcon &icon,
                               const QString &hint, bool hintShown)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoRaise(true);
    button->setIcon(icon);
    button->setIconSize(QSize(16, 16));
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    setHint(button, hint, hintShown);
    return button;
}

QToolButton *makeTextButton(QWidget *parent, const char *name, const QString &caption,
                            const QString &hint)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    // Raised, unlike the picture buttons: a flat caption would read as a label.
    button->setAutoRaise(false);
    button->setText(caption);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    if (!hint.isEmpty())
        setHint(button, hint);
    return button;
}

QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption,
                        const QString &hint)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    if (!hint.isEmpty())
        setHint(button, hint);
    return button;
}

} // namespace vestan
