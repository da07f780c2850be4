#include "journal/journalcheck.h"

#include "journal/recentfiles.h"
#include "maker/tarvel/tarvel.h"
#include "platform/codepage.h"
#include "platform/host.h"

#include <QFile>
#include <QFileInfo>

namespace vestan {

int CheckJournalFile(Host &host, const QString &name, std::unique_ptr<QFile> *handle)
{
    const QByteArray shownName = name.toUtf8();
    int result = 0;
    QString message;
    int icon = kMbIconStop;

    auto file = std::make_unique<QFile>(name);
    // Only a regular file is opened: a named pipe typed in here would block.
    const QFileInfo info(name);
    if (!info.isFile() || !file->open(QIODevice::ReadOnly)) {
        result = 1;
        message = QString::asprintf(" Не могу открыть файл\n\"%s\"", shownName.constData());
    } else if (file->size() < kJournalHeadCheckSize) {
        result = 1;
        message = QString::asprintf(" Файл \"%s\"\nмаловат для журнала!", shownName.constData());
        icon = kMbIconExclamation;
    } else {
        char head[kJournalHeadCheckSize];
        const qint64 got = file->read(head, kJournalHeadCheckSize);
        if (got != kJournalHeadCheckSize) {
            result = 1;
            message = QString::asprintf(" Не могу прочитать файл\n\"%s\"", shownName.constData());
        } else {
            result = _tj_ChkHeadStart(head, int32_t(got), nullptr);
            if (result != 0) {
                message = QString::asprintf(" %s\n\n Файл \"%s\"",
                                            qUtf8Printable(fromCp1251(_tj_Err2str(result))),
                                            shownName.constData());
                icon = kMbIconExclamation;
            }
        }
    }

    if (result != 0) {
        file->close();
        host.messageBox(host.programPath(), message, icon | kMbOk);
    } else if (handle) {
        *handle = std::move(file);
    }
    return result;
}

int AcceptJournalFile(Host &host, RecentFiles &recent, const QString &name)
{
    std::unique_ptr<QFile> file;
    if (CheckJournalFile(host, name, &file) != 0)
        return 1;
    file->close();
    recent.AddRecentFile(name);
    return 0;
}

} // namespace vestan
