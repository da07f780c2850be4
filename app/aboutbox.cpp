#include "app/aboutbox.h"

#include "app/programstate.h"
#include "platform/codepage.h"

#include <QByteArray>
#include <QFileInfo>
#include <QLocale>

namespace vestan {
namespace {

const char *const kProgramName = "Vestan";
const char *const kVersionLine = "Версия 1.0";
const char *const kDescription =
    "Доступ к данным контроллера \"TARVEL\"\n(отладочная версия, для внутреннего использования)";
const char *const kAuthorCredit = "Разработчики Vestan";

// The program file's modification date in the user's short date format.
QString programFileDate(const QFileInfo &program)
{
    const QDateTime modified = program.lastModified();
    if (!modified.isValid())
        return QStringLiteral("?");
    return QLocale::system().toString(modified.toLocalTime().date(), QLocale::ShortFormat);
}

} // namespace

void SBtnAboutClick(ProgramState &state)
{
    // The library may keep the pointers while its box is open, so the texts live
    // beyond the call; the credit is composed anew on every click.
    static const QByteArray name = toCp1251(QString::fromUtf8(kProgramName));
    static const QByteArray version = toCp1251(QString::fromUtf8(kVersionLine));
    static const QByteArray description = toCp1251(QString::fromUtf8(kDescription));
    static QByteArray credit;

    credit.clear();
    const QFileInfo program(state.host.programPath());
    credit = toCp1251(QString::asprintf("%s: %s, от %s", kAuthorCredit,
                                        qUtf8Printable(program.fileName()),
                                        qUtf8Printable(programFileDate(program))));
    if (state.api._trv_about)
        state.api._trv_about(name.constData(), version.constData(), description.constData(),
                             credit.constData());
}

} // namespace vestan
