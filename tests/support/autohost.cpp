#include "tests/support/autohost.h"

#include "platform/host.h"

#include <QFile>
#include <QThread>

namespace vestan::test {

int AutoHost::messageBox(const QString &caption, const QString &text, int style)
{
    const int buttons = style & 0x0F;
    if (buttons == kMbYesNo && text.startsWith(QStringLiteral("Записать ")) &&
        text.endsWith(QStringLiteral(" в файл"))) {
        answers.push_front(storeAnswer);
    } else if (buttons == kMbYesNo && text.endsWith(QStringLiteral("Повторить операцию?"))) {
        ++retryQuestions;
        if (onRetryQuestion)
            onRetryQuestion();
        answers.push_front(retryAnswer);
    }
    return ScriptedHost::messageBox(caption, text, style);
}

QString AutoHost::fileDialog(const FileDialogRequest &request)
{
    if (request.kind == FileDialogKind::Save && fileAnswers.empty()) {
        dialogs.push_back(request);
        return savePath;
    }
    return ScriptedHost::fileDialog(request);
}

void AutoHost::sleepMs(int milliseconds)
{
    ScriptedHost::sleepMs(milliseconds);
    if (realTime && milliseconds > 0)
        QThread::msleep(ulong(milliseconds));
}

quint32 AutoHost::tickCount()
{
    if (!realTime)
        return ScriptedHost::tickCount();
    if (!clock_.isValid())
        clock_.start();
    return quint32(clock_.elapsed());
}

QString compareFiles(const QString &actual, const QString &expected)
{
    QFile a(actual);
    QFile b(expected);
    if (!a.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read ") + actual;
    if (!b.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read ") + expected;
    if (a.size() != b.size())
        return QStringLiteral("sizes differ: %1 against %2").arg(a.size()).arg(b.size());
    constexpr qint64 kPiece = 64 * 1024;
    QByteArray pa(kPiece, Qt::Uninitialized);
    QByteArray pb(kPiece, Qt::Uninitialized);
    for (qint64 at = 0;;) {
        const qint64 na = a.read(pa.data(), kPiece);
        const qint64 nb = b.read(pb.data(), kPiece);
        if (na != nb || na < 0)
            return QStringLiteral("read failed at %1").arg(at);
        if (na == 0)
            return QString();
        for (qint64 i = 0; i < na; ++i)
            if (pa[i] != pb[i])
                return QStringLiteral("first difference at byte %1").arg(at + i);
        at += na;
    }
}

} // namespace vestan::test
