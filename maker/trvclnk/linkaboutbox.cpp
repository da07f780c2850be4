#include "maker/trvclnk/linkaboutbox.h"

#include <QMessageBox>

namespace vestan::trvclnk {

std::unique_ptr<QMessageBox> makeAboutBox(const QString &name, const QString &version,
                                          const QString &description, const QString &credit)
{
    auto box = std::make_unique<QMessageBox>();
    box->setObjectName(QStringLiteral("AboutBox"));
    box->setIcon(QMessageBox::Information);
    box->setWindowTitle(QStringLiteral("О программе %1").arg(name).trimmed());
    // Plain text: the texts come from the caller and are shown, not interpreted.
    box->setTextFormat(Qt::PlainText);
    QStringList parts;
    for (const QString &part : {name, version, description, credit})
        if (!part.isEmpty())
            parts.append(part);
    box->setText(parts.join(QStringLiteral("\n\n")));
    box->setStandardButtons(QMessageBox::Ok);
    return box;
}

} // namespace vestan::trvclnk
