// The real host's message box, as the user sees it.

#include "platform/qthost.h"
#include "platform/userfolder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
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

// Started in whatever folder (a Start-menu entry may give one the user
// cannot write), the first dialog shows the user's documents; the next one
// where the user last chose a file.
TEST(QtHostFileDialog, OpensInTheUsersDocumentsThenWhereTheUserChose)
{
    const QString documents = userDocumentsFolder();
    ASSERT_NE(QDir(documents).canonicalPath(), QDir::current().canonicalPath());
    QTemporaryDir chosen;
    QtHost host;
    QStringList shown;
    const auto answer = [&](const QString &file) {
        QTimer::singleShot(0, [&shown, file] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            shown << dialog->directory().canonicalPath();
            dialog->selectFile(file);
            QMetaObject::invokeMethod(dialog, "accept");
        });
    };
    answer(chosen.filePath("j.dat"));
    EXPECT_EQ(QDir::fromNativeSeparators(host.fileDialog({FileDialogKind::Save, {}, {}, {}, {}})),
              chosen.filePath("j.dat"));
    answer(chosen.filePath("k.dat"));
    host.fileDialog({FileDialogKind::Save, {}, {}, {}, {}});
    EXPECT_EQ(shown,
              (QStringList{QDir(documents).canonicalPath(), QDir(chosen.path()).canonicalPath()}));
}

} // namespace
} // namespace vestan
