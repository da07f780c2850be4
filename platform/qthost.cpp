#include "platform/qthost.h"

#include "platform/userfolder.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QThread>

namespace vestan {

QtHost::QtHost() : lastDirectory_{userDocumentsFolder(), userDocumentsFolder()}
{
    clock_.start();
}

int QtHost::messageBox(const QString &caption, const QString &text, int style)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(caption);
    // File names and the controller's texts are shown as they are, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    switch (style & 0xF0) {
    case kMbIconStop:
        box.setIcon(QMessageBox::Critical);
        break;
    case kMbIconQuestion:
        box.setIcon(QMessageBox::Question);
        break;
    case kMbIconExclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    default:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    switch (style & 0x0F) {
    case kMbYesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        break;
    case kMbYesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    box.exec();
    const QAbstractButton *clicked = box.clickedButton();
    switch (box.standardButton(const_cast<QAbstractButton *>(clicked))) {
    case QMessageBox::Yes:
        return kIdYes;
    case QMessageBox::No:
        return kIdNo;
    case QMessageBox::Cancel:
        return kIdCancel;
    case QMessageBox::Ok:
        return kIdOk;
    default:
        // Closed without a button: as Cancel where there is one, else as the only answer.
        return (style & 0x0F) == kMbYesNo ? kIdNo : (style & 0x0F) == kMbOk ? kIdOk : kIdCancel;
    }
}

QString QtHost::fileDialog(const FileDialogRequest &request)
{
    const int k = request.kind == FileDialogKind::Save ? 0 : 1;
    if (!request.directory.isEmpty())
        lastDirectory_[k] = request.directory;
    if (!request.fileName.isEmpty() || !request.directory.isEmpty())
        lastFileName_[k] = request.fileName;

    QFileDialog dialog(QApplication::activeWindow(), request.title, lastDirectory_[k],
                       request.filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog, false);
    if (request.kind == FileDialogKind::Save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // The program asks before replacing a file itself.
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        // A typed name of a file that does not exist comes back as typed.
        dialog.setFileMode(QFileDialog::AnyFile);
    }
    if (!lastFileName_[k].isEmpty())
        dialog.selectFile(lastFileName_[k]);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty())
        return QString();
    const QFileInfo chosen(files.first());
    lastDirectory_[k] = chosen.absolutePath();
    lastFileName_[k] = chosen.fileName();
    return QDir::toNativeSeparators(chosen.absoluteFilePath());
}

void QtHost::processEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtHost::sleepMs(int milliseconds)
{
    QThread::msleep(ulong(milliseconds));
}

quint32 QtHost::tickCount()
{
    return quint32(clock_.elapsed());
}

QDateTime QtHost::localTime()
{
    return QDateTime::currentDateTime();
}

QString QtHost::programPath() const
{
    return QDir::toNativeSeparators(QCoreApplication::applicationFilePath());
}

void QtHost::showError(const QString &text)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Vestan"), QString(), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.exec();
}

} // namespace vestan
