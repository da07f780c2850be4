#include "platform/dynlib.h"

#include <QFile>
#include <QFileInfo>
#include <dlfcn.h>

namespace vestan::dynlib {

Handle load(const QString &path)
{
    // An empty name would give the program itself.
    if (path.isEmpty())
        return nullptr;
    return dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
}

Symbol resolve(Handle library, const char *name)
{
    return reinterpret_cast<Symbol>(dlsym(library, name));
}

QString modulePath(const void *address)
{
    Dl_info info{};
    if (dladdr(address, &info) == 0 || info.dli_fname == nullptr)
        return QString();
    return QFileInfo(QFile::decodeName(info.dli_fname)).absoluteFilePath();
}

} // namespace vestan::dynlib
