// The real host's message box, as the user sees it.

#include "platform/qthost.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

namespace vestan {
namespace {

// A file name with markup in it is shown as typed, never drawn as markup.
TEST(QtHostBox, ShowsPlainText)
{
    QtHost host;
    Qt::TextFormat format = Qt::AutoText;
    QString shown;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        format = box->textFormat();
        shown = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    const QString text = QStringLiteral("Заменить существующий файл?\n\"/data/<b>a</b>.dat\"");
    EXPECT_EQ(host.messageBox(QStringLiteral("vestan"), text, kMbIconStop | kMbOk), kIdOk);
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(shown, text);
}

} // namespace
} // namespace vestan
