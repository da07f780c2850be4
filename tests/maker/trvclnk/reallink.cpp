#include "reallink.h"
#include "tests/support/blockframe.h"

#include <QFile>
#include <dlfcn.h>

namespace vestan::test {
namespace {

template <typename Fn> bool bind(void *library, const char *name, Fn &place, QString &error)
{
    place = reinterpret_cast<Fn>(::dlsym(library, name));
    if (place == nullptr && error.isEmpty())
        error = QStringLiteral("no entry point %1").arg(QLatin1String(name));
    return place != nullptr;
}

} // namespace

RealLink &RealLink::instance()
{
    static RealLink link;
    return link;
}

RealLink::RealLink()
{
    // Set (through TRVCLNK_INI) before the library's first call: it takes
    // the path once, for the whole process.
    iniPath_ = LineRig::iniPath();
    const QString path = buildBinDir() + QStringLiteral("/trvCLNK.so");
    void *library = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        error_ =
            QStringLiteral("cannot load %1: %2").arg(path, QString::fromLocal8Bit(::dlerror()));
        return;
    }
    bind(library, "_trvCL_fInit", api_._trvCL_fInit, error_);
    bind(library, "_trvCL_fDlgSetup", api_._trvCL_fDlgSetup, error_);
    bind(library, "_trvCL_fOpen", api_._trvCL_fOpen, error_);
    bind(library, "_trvCL_fClose", api_._trvCL_fClose, error_);
    bind(library, "_trvCL_fIsOpen", api_._trvCL_fIsOpen, error_);
    bind(library, "_trvCL_fErr2str", api_._trvCL_fErr2str, error_);
    bind(library, "_trvCL_fChkErrType", api_._trvCL_fChkErrType, error_);
    bind(library, "_trvCL_fRequest", api_._trvCL_fRequest, error_);
    bind(library, "_trvCL_fSetPhone", api_._trvCL_fSetPhone, error_);
    bind(library, "_trvCL_fParamBaud", api_._trvCL_fParamBaud, error_);
    bind(library, "_trvCL_fSetEvent", api_._trvCL_fSetEvent, error_);
    bind(library, "_trv_about", api_._trv_about, error_);
    if (error_.isEmpty())
        api_._trvCL_fInit();
}

void RealLink::writeIni(const QByteArray &text) const
{
    QFile file(iniPath_);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text);
}

int32_t linkRequest(const Bytes &request, Bytes &reply, uint16_t capacity)
{
    const LinkApi &api = RealLink::instance().api();
    reply.assign(capacity, 0);
    uint16_t length = 0;
    const int32_t result = api._trvCL_fRequest(kCom2, request.data(), uint16_t(request.size()),
                                               reply.data(), capacity, &length);
    reply.resize(result == 0 ? length : 0);
    return result;
}

bool requestSize(uint16_t code, uint32_t &size, uint8_t net)
{
    Bytes reply;
    const Bytes request = {net, 1, uint8_t(code), uint8_t(code >> 8)};
    if (linkRequest(request, reply) != 0 || reply.size() < 8)
        return false;
    size = uint32_t(reply[4]) | (uint32_t(reply[5]) << 8) | (uint32_t(reply[6]) << 16) |
           (uint32_t(reply[7]) << 24);
    return true;
}

bool readObject(uint16_t code, uint32_t size, uint16_t portion, Bytes &out)
{
    out.clear();
    Bytes reply;
    for (uint32_t offset = 0; offset < size;) {
        const auto length = uint16_t(std::min<uint32_t>(portion, size - offset));
        const Bytes request = blockFrameHead(kNet, code, length, offset);
        if (linkRequest(request, reply) != 0 || reply.size() < 10)
            return false;
        const uint16_t count = uint16_t(reply[4] | (reply[5] << 8));
        if (count != length || reply.size() < size_t(10 + count))
            return false;
        out.insert(out.end(), reply.begin() + 10, reply.begin() + 10 + count);
        offset += count;
    }
    return true;
}

Bytes readDumpFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return Bytes(bytes.begin(), bytes.end());
}

} // namespace vestan::test
