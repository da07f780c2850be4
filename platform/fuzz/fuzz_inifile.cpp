// Fuzzes the INI reader and writer over arbitrary file contents.
//
// Input: byte 0 picks what is written, the rest is the file. Every section
// and key name the file seems to hold is read (reading must not fail and gives
// no more than the value limit); then one key is written: an existing key, a
// new key in an existing section, or a new section. The write must succeed
// exactly when the names are acceptable; a refused write leaves the file
// byte for byte; an accepted one changes nothing but the key's line (or
// inserts the new lines in one place), the key reads back as written and
// every other name reads as before.

#include "platform/inifile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <utility>

using vestan::IniFile;

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r';
}

QByteArray trimmedBlanks(QByteArray bytes)
{
    while (!bytes.isEmpty() && isBlank(bytes.front()))
        bytes.remove(0, 1);
    while (!bytes.isEmpty() && isBlank(bytes.back()))
        bytes.chop(1);
    return bytes;
}

struct Name
{
    QString section;
    QString key;
};

// A rough look at the lines, independent of the reader: each "[...]" opens a
// section, each line with '=' names a key. Odd names are welcome; they are
// only asked for.
QList<Name> namesIn(const QByteArray &file)
{
    QList<Name> names;
    QString section;
    QList<QByteArray> sections;
    for (const QByteArray &raw : file.split('\n')) {
        const QByteArray line = trimmedBlanks(raw);
        if (line.startsWith('[') && line.lastIndexOf(']') > 0) {
            section = QString::fromUtf8(trimmedBlanks(line.mid(1, line.lastIndexOf(']') - 1)));
            names.append({section, QStringLiteral("fuzz-new-key")});
        } else if (line.contains('=') && !line.startsWith(';')) {
            names.append({section, QString::fromUtf8(trimmedBlanks(line.left(line.indexOf('='))))});
        }
        if (names.size() >= 24)
            break;
    }
    names.append({QStringLiteral("Fuzz new section"), QStringLiteral("key")});
    return names;
}

bool sameName(const QString &a, const QString &b)
{
    return QString::compare(a.trimmed(), b.trimmed(), Qt::CaseInsensitive) == 0;
}

bool breaksLine(const QString &text)
{
    return text.contains(u'\n') || text.contains(u'\r') || text.contains(QChar(0));
}

bool acceptable(const Name &name)
{
    const QString section = name.section.trimmed();
    const QString key = name.key.trimmed();
    return !section.isEmpty() && !key.isEmpty() && !breaksLine(section) && !breaksLine(key) &&
           !section.contains(u']') && !key.contains(u'=') && !key.startsWith(u'[') &&
           !key.startsWith(u';');
}

// A value that reads back as itself: no blanks or quotes at its ends, no line
// breaks, well under the limit; taken from the file so that odd characters
// travel through the writer too.
QString valueFrom(const QByteArray &file)
{
    QByteArray bytes = file.left(300);
    bytes.replace('\n', ' ').replace('\r', ' ').replace('\0', ' ');
    return u'<' + QString::fromUtf8(bytes).remove(QChar(0)) + u'>';
}

QByteArray contentsOf(const QString &fileName)
{
    QFile file(fileName);
    check(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

// Memory-backed when the system has it: every write ends with a flush to disk.
QString tempDirTemplate()
{
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    if (shm.isDir() && shm.isWritable())
        return QStringLiteral("/dev/shm/fuzz_inifile-XXXXXX");
    return QDir::tempPath() + QStringLiteral("/fuzz_inifile-XXXXXX");
}

const QString kDefault = QStringLiteral("\x01 no such key");

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1 || size > 1u << 16)
        return 0;
    static QTemporaryDir dir(tempDirTemplate());
    check(dir.isValid());
    const QString fileName = dir.filePath(QStringLiteral("fuzz.ini"));
    const QByteArray before(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    {
        QFile file(fileName);
        check(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        check(file.write(before) == before.size());
    }

    IniFile ini(fileName);
    const QList<Name> names = namesIn(before);
    QList<QString> values;
    for (const Name &name : names) {
        const QString value = ini.readString(name.section, name.key, kDefault);
        check(value.size() <= IniFile::kMaxValueLength || value == kDefault);
        check(!value.contains(u'\n'));
        values.append(value);
    }

    const Name target = names[qsizetype(data[0] % names.size())];
    const QString value = valueFrom(before);
    const bool written = ini.writeString(target.section, target.key, value);
    check(written == acceptable(target));
    const QByteArray after = contentsOf(fileName);
    if (!written) {
        check(after == before);
        return 0;
    }

    // Nothing of the old file is lost: the new file is the old one with one
    // place changed.
    qsizetype head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head])
        ++head;
    qsizetype tail = 0;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    const QByteArray removed = before.mid(head, before.size() - head - tail);
    const QByteArray added = after.mid(head, after.size() - head - tail);
    check(!removed.contains('\n') && !added.contains('\0'));
    if (!removed.isEmpty()) {
        // Only the rest of an existing key's line was replaced.
        check(added.count('\n') == 0);
    } else {
        // Lines were inserted: at most a line end, a blank line, the section
        // and the key.
        check(added.count('\n') <= 4);
    }

    const QString readBack = ini.readString(target.section, target.key, kDefault);
    check(readBack == value);
    for (qsizetype i = 0; i < names.size(); ++i) {
        const bool same =
            sameName(names[i].section, target.section) && sameName(names[i].key, target.key);
        const QString now = ini.readString(names[i].section, names[i].key, kDefault);
        check(now == (same ? value : values[i]));
    }
    return 0;
}
