#include "journal/filedialogs.h"

#include "journal/recentfiles.h"
#include "platform/host.h"

#include <QStringList>

namespace vestan {
namespace {

bool askFileName(Host &host, const RecentFiles &recent, FileDialogKind kind, const QString &title,
                 QString &buffer, int capacity)
{
    buffer.clear();
    if (capacity <= 0)
        return false;

    FileDialogRequest request;
    request.kind = kind;
    const bool save = kind == FileDialogKind::Save;
    request.filter = qtFileFilter(QString::fromUtf8(save ? kSaveDialogFilter : kOpenDialogFilter));
    const QString newest = recent.newest();
    if (!newest.isEmpty()) {
        // Names may come from a settings file written on another system.
        const qsizetype cut = std::max(newest.lastIndexOf(u'/'), newest.lastIndexOf(u'\\'));
        request.directory = cut < 0 ? QString() : cut == 0 ? newest.left(1) : newest.left(cut);
        request.fileName = newest.mid(cut + 1);
    }
    if (!title.isEmpty())
        request.title = title;
    else
        request.title = save ? QStringLiteral("Сохранение") : QStringLiteral("Открыть файл");

    const QString chosen = host.fileDialog(request);
    if (chosen.isEmpty() || chosen.size() >= capacity)
        return false;
    buffer = chosen;
    return true;
}

} // namespace

QString qtFileFilter(const QString &pairs)
{
    const QStringList parts = pairs.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString &text = parts[i];
        const QString patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts).join(u' ');
        // Qt takes the patterns from the last parentheses; a text that already
        // ends with them is kept as it is (the dialog matches regardless of case).
        const QString tail = u'(' + patterns + u')';
        if (text.endsWith(tail, Qt::CaseInsensitive))
            filters << text;
        else
            filters << text + u' ' + tail;
    }
    return filters.join(QStringLiteral(";;"));
}

bool AskSaveFileName(Host &host, const RecentFiles &recent, const QString &title, QString &buffer,
                     int capacity)
{
    return askFileName(host, recent, FileDialogKind::Save, title, buffer, capacity);
}

bool AskOpenFileName(Host &host, const RecentFiles &recent, const QString &title, QString &buffer,
                     int capacity)
{
    return askFileName(host, recent, FileDialogKind::Open, title, buffer, capacity);
}

} // namespace vestan
