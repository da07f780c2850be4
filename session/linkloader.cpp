#include "session/linkloader.h"

#include "platform/host.h"
#include "session/session.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vestan {
namespace {

const QString kSeparator = QString(QDir::separator());

// The program's directory with a trailing separator.
QString programDirectory(const QString &programPath)
{
    QString dir = QDir::toNativeSeparators(QFileInfo(programPath).absolutePath());
    if (!dir.endsWith(kSeparator))
        dir += kSeparator;
    return dir;
}

QString trvDirFromEnvironment()
{
    // An empty value counts as unset, as the variable's reader reports both alike.
    return QFile::decodeName(qgetenv("TRV_DIR"));
}

void reportLoadFailure(Host &host, const QString &name, int32_t code, const EntryPointPlace *table)
{
    const QString caption =
        QFileInfo(host.programPath()).fileName() + ": Загрузка DLL" + " - \"" + name + "\"";
    if (code >= 1) {
        const QString text = QString::asprintf(
            "ОШИБКА вышла!\n\n В библиотеке нет имени:\n\"%s\"\n", table[code - 1].name);
        host.messageBox(caption, text, kMbIconExclamation | kMbOk);
    } else {
        host.messageBox(caption, "ОШИБКА вышла!\n\n Не смог найти библиотеку(DLL).\n",
                        kMbIconStop | kMbOk);
    }
}

} // namespace

LinkEntryPointTable makeLinkEntryPointTable(LinkApi &api)
{
    return {
        entryPointPlace("_trvCL_fInit", api._trvCL_fInit),
        entryPointPlace("_trvCL_fDlgSetup", api._trvCL_fDlgSetup),
        entryPointPlace("_trvCL_fOpen", api._trvCL_fOpen),
        entryPointPlace("_trvCL_fClose", api._trvCL_fClose),
        entryPointPlace("_trvCL_fIsOpen", api._trvCL_fIsOpen),
        entryPointPlace("_trvCL_fErr2str", api._trvCL_fErr2str),
        entryPointPlace("_trvCL_fChkErrType", api._trvCL_fChkErrType),
        entryPointPlace("_trvCL_fRequest", api._trvCL_fRequest),
        entryPointPlace("_trvCL_fSetPhone", api._trvCL_fSetPhone),
        entryPointPlace("_trvCL_fParamBaud", api._trvCL_fParamBaud),
        entryPointPlace("_trvCL_fSetEvent", api._trvCL_fSetEvent),
        entryPointPlace("_trv_about", api._trv_about),
        EntryPointPlace{},
    };
}

QStringList linkLibrarySearchPaths(const QString &programPath, const QString &name,
                                   const QString &trvDir)
{
    const QString sys = QStringLiteral("_SYS") + kSeparator;
    const QString parent = QStringLiteral("..") + kSeparator;
    const QString dir = programDirectory(programPath);

    QStringList candidates{dir + name, dir + sys + name};
    if (!QDir(dir).isRoot()) {
        candidates << dir + parent + name;
        candidates << dir + parent + sys + name;
    }
    if (!trvDir.isEmpty() && trvDir.size() < kTrvDirCapacity) {
        QString extra = trvDir;
        if (!extra.endsWith(QLatin1Char('\\')) && !extra.endsWith(QLatin1Char('/')))
            extra += kSeparator;
        candidates << extra + name;
        candidates << extra + sys + name;
    }
    candidates << name;

    // A path that does not fit a file-name buffer (terminating zero included)
    // is never tried.
    QStringList paths;
    for (const QString &path : candidates)
        if (path.size() < kFileNameCapacity)
            paths << path;
    return paths;
}

int32_t BindEntryPoints(dynlib::Handle library, const EntryPointPlace *table)
{
    for (int32_t index = 0; table[index].name != nullptr; ++index) {
        const dynlib::Symbol address = dynlib::resolve(library, table[index].name);
        if (address == nullptr) {
            // Nothing from a failed binding may look usable.
            for (int32_t rest = index; table[rest].name != nullptr; ++rest)
                table[rest].store(table[rest].place, nullptr);
            return index + 1;
        }
        table[index].store(table[index].place, address);
    }
    return 0;
}

int32_t LoadAndBindLibrary(Host &host, const QString &name, dynlib::Handle &handle,
                           const EntryPointPlace *table, int reportErrors)
{
    handle = nullptr;
    dynlib::Handle library = nullptr;
    const QStringList paths =
        linkLibrarySearchPaths(host.programPath(), name, trvDirFromEnvironment());
    for (const QString &path : paths) {
        // A place that exists but does not load counts as not found.
        library = dynlib::load(path);
        if (library != nullptr)
            break;
    }

    int32_t code = kLibraryNotFound;
    if (library != nullptr) {
        // A library that fails binding stays loaded until the process ends.
        code = BindEntryPoints(library, table);
        if (code == 0)
            handle = library;
    }
    if (code != 0 && reportErrors)
        reportLoadFailure(host, name, code, table);
    return code;
}

int32_t LoadLinkLibrary(Session &state)
{
    const LinkEntryPointTable table = makeLinkEntryPointTable(state.api);
    return LoadAndBindLibrary(state.host, state.linkLibraryName, state.libraryHandle, table.data(),
                              1);
}

int32_t StartLinkLibrary(Session &state, const std::function<int32_t(Session &)> &bind)
{
    if (const int32_t bound = bind(state); bound != 0)
        return bound;
    state.libraryBound = 1;
    state.api._trvCL_fInit();
    state.channel.baudRate = state.api._trvCL_fParamBaud(state.channel.portIndex);
    return 0;
}

} // namespace vestan
