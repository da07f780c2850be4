#include "session/tempfile.h"

#include <QDir>
#include <QFileInfo>

namespace vestan {

QString TempFile::MakeTempFileName(int capacity)
{
    QString directory = userTempDirectory();
    if (directory.isEmpty() || directory.size() > capacity)
        directory = paths_.programDir;
    if (!directory.isEmpty() && !directory.endsWith(u'/') && !directory.endsWith(u'\\'))
        directory += QDir::separator();

    const QFileInfo program(paths_.programFileName);
    const QString base =
        program.completeBaseName().isEmpty() ? program.fileName() : program.completeBaseName();
    const QString name = directory + base + QStringLiteral(".TMP");

    const QChar last = name.isEmpty() ? QChar() : name.back();
    if (!base.isEmpty() && name.size() <= capacity && last != u'\\' && last != u'.' && last != u':')
        return name;
    host_.messageBox(host_.programPath(), "Не могу получить\nимя для временного файла",
                     kMbIconStop | kMbOk);
    return QString();
}

void TempFile::CreateTempFile()
{
    const QString name = MakeTempFileName(kFileNameCapacity);
    if (name.isEmpty())
        return;
    // A file this copy still holds (kept from an earlier transfer) is
    // emptied in place: giving the claim up first would let another copy
    // take the name in between.
    const bool reused = registered_ && file_.isClaimed() && file_.path() == name && file_.empty();
    registered_ = false;
    open_ = false;
    name_ = name;
    if (!reused && !file_.claim(name_)) {
        host_.messageBox(
            host_.programPath(),
            QString::asprintf(" Не могу создать временный файл\n\"%s\"", qUtf8Printable(name_)),
            kMbIconStop | kMbOk);
        name_.clear();
        return;
    }
    open_ = true;
    registered_ = true;
}

bool TempFile::WriteTempFile(const uint8_t *bytes, uint16_t count)
{
    if (!registered_)
        return false;
    if (open_ && file_.write(bytes, count))
        return true;
    host_.messageBox(
        host_.programPath(),
        QString::asprintf(" Ошибка записи во временный файл\n\"%s\"", qUtf8Printable(name_)),
        kMbIconStop | kMbOk);
    DeleteTempFile();
    return false;
}

void TempFile::CloseTempFile()
{
    open_ = false;
}

void TempFile::DeleteTempFile()
{
    if (!registered_)
        return;
    open_ = false;
    file_.remove();
    registered_ = false;
}

} // namespace vestan
