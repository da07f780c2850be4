#include "platform/inifile.h"

#include "platform/initext.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <vector>

namespace vestan {
namespace {

using initext::decode;
using initext::encode;
using initext::kNativeLineEnd;

// One line of the file as byte positions: [begin, end) is its text without
// the line end, next is where the following line starts.
struct Line
{
    qsizetype begin = 0;
    qsizetype end = 0;
    qsizetype next = 0;
    bool terminated = false;
};

enum class LineKind
{
    Blank,
    Comment,
    Section,
    Key,
    Other
};

struct ParsedLine
{
    LineKind kind = LineKind::Other;
    QByteArray name;      // section or key name, blanks dropped
    qsizetype equals = 0; // position of '=' of a key line
    QByteArray value;     // value of a key line, blanks dropped
};

struct Location
{
    int sectionLine = -1;     // header of the first section of the name
    int keyLine = -1;         // first key of the name in that section
    int lastContentLine = -1; // last non-blank line of that section
};

std::vector<Line> splitLines(const QByteArray &data)
{
    std::vector<Line> lines;
    qsizetype at = 0;
    // A UTF-8 byte order mark belongs to no line; it is kept when the file is rewritten.
    if (data.startsWith("\xEF\xBB\xBF"))
        at = 3;
    while (at < data.size()) {
        Line line;
        line.begin = at;
        const qsizetype newline = data.indexOf('\n', at);
        if (newline < 0) {
            line.end = data.size();
            line.next = data.size();
        } else {
            line.end = newline;
            line.next = newline + 1;
            line.terminated = true;
        }
        if (line.end > line.begin && data.at(line.end - 1) == '\r')
            --line.end;
        lines.push_back(line);
        at = line.next;
    }
    return lines;
}

ParsedLine parseLine(const QByteArray &data, const Line &line)
{
    ParsedLine parsed;
    // No line holds a line feed: trimming drops the blanks alone.
    const QByteArray text = data.mid(line.begin, line.end - line.begin).trimmed();
    if (text.isEmpty()) {
        parsed.kind = LineKind::Blank;
        return parsed;
    }
    if (text.startsWith(';')) {
        parsed.kind = LineKind::Comment;
        return parsed;
    }
    if (text.startsWith('[')) {
        const qsizetype close = text.lastIndexOf(']');
        if (close > 0) {
            parsed.kind = LineKind::Section;
            parsed.name = text.mid(1, close - 1).trimmed();
        }
        return parsed;
    }
    const qsizetype equals = text.indexOf('=');
    if (equals < 0)
        return parsed;
    parsed.kind = LineKind::Key;
    parsed.name = text.left(equals).trimmed();
    parsed.equals = data.indexOf('=', line.begin); // blanks before it hold none
    parsed.value = text.mid(equals + 1).trimmed();
    return parsed;
}

bool sameName(const QByteArray &bytes, const QString &name)
{
    return QString::compare(decode(bytes), name, Qt::CaseInsensitive) == 0;
}

Location locate(const QByteArray &data, const std::vector<Line> &lines, const QString &section,
                const QString &key)
{
    Location location;
    bool inSection = false;
    for (int i = 0; i < int(lines.size()); ++i) {
        const ParsedLine parsed = parseLine(data, lines[size_t(i)]);
        if (parsed.kind == LineKind::Section) {
            if (inSection)
                break; // only the first section of a name counts
            if (sameName(parsed.name, section)) {
                inSection = true;
                location.sectionLine = i;
                location.lastContentLine = i;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (parsed.kind != LineKind::Blank)
            location.lastContentLine = i;
        if (parsed.kind == LineKind::Key && location.keyLine < 0 && sameName(parsed.name, key))
            location.keyLine = i;
    }
    return location;
}

QString cutToLength(QString value, qsizetype length)
{
    if (value.size() <= length)
        return value;
    // Never leave half of a surrogate pair at the end.
    if (value.at(length - 1).isHighSurrogate())
        --length;
    value.truncate(length);
    return value;
}

bool breaksLine(const QString &text)
{
    return text.contains(u'\n') || text.contains(u'\r') || text.contains(QChar(0));
}

// The line end the file already uses; the platform's own for a file without one.
QByteArray lineEndOf(const std::vector<Line> &lines)
{
    for (const Line &line : lines) {
        if (line.terminated)
            return line.next - line.end == 2 ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
    }
    return kNativeLineEnd;
}

bool readAll(const QString &fileName, QByteArray &data)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    data = file.readAll();
    return file.error() == QFileDevice::NoError;
}

// The read-only mode counts even for a user whom the system would let write
// (an administrator), as a read-only file does on Windows.
bool mayReplace(const QFileInfo &info)
{
    const auto writeBits =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return info.isFile() && info.isWritable() && (info.permissions() & writeBits);
}

} // namespace

IniFile::IniFile(const QString &fileName) : fileName_(fileName) {}

QString IniFile::readString(const QString &section, const QString &key,
                            const QString &defaultValue) const
{
    QByteArray data;
    if (!readAll(fileName_, data))
        return defaultValue;
    const std::vector<Line> lines = splitLines(data);
    const Location location = locate(data, lines, section.trimmed(), key.trimmed());
    if (location.keyLine < 0)
        return defaultValue;
    QString value = decode(parseLine(data, lines[size_t(location.keyLine)]).value);
    if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
        value = value.mid(1, value.size() - 2);
    return cutToLength(value, kMaxValueLength);
}

bool IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    const QString sectionName = section.trimmed();
    const QString keyName = key.trimmed();
    if (sectionName.isEmpty() || keyName.isEmpty() || breaksLine(sectionName) ||
        breaksLine(keyName) || breaksLine(value) || sectionName.contains(u']') ||
        keyName.contains(u'=') || keyName.startsWith(u'[') || keyName.startsWith(u';'))
        return false;

    QByteArray data;
    const QFileInfo info(fileName_);
    if (info.exists() || info.isSymLink()) {
        if (!mayReplace(info) || !readAll(fileName_, data))
            return false;
    }

    const std::vector<Line> lines = splitLines(data);
    const Location location = locate(data, lines, sectionName, keyName);
    const QByteArray lineEnd = lineEndOf(lines);
    const QByteArray encodedValue = encode(value);

    QByteArray out;
    if (location.keyLine >= 0) {
        // Keep the key as spelled in the file and whatever follows the line.
        const Line &line = lines[size_t(location.keyLine)];
        const ParsedLine parsed = parseLine(data, line);
        out = data.left(parsed.equals + 1) + encodedValue + data.mid(line.end);
    } else if (location.sectionLine >= 0) {
        const Line &last = lines[size_t(location.lastContentLine)];
        out = data.left(last.next);
        if (!last.terminated)
            out += lineEnd;
        out += encode(keyName) + '=' + encodedValue + lineEnd;
        out += data.mid(last.next);
    } else {
        out = data;
        if (!lines.empty()) {
            const Line &last = lines.back();
            if (!last.terminated)
                out += lineEnd;
            if (parseLine(data, last).kind != LineKind::Blank)
                out += lineEnd; // a blank line between sections
        }
        out += '[' + encode(sectionName) + ']' + lineEnd;
        out += encode(keyName) + '=' + encodedValue + lineEnd;
    }

    QSaveFile file(fileName_);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(out) != out.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace vestan
