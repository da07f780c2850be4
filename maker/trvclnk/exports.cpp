// The twelve C entry points of trvCLNK.so. Texts cross this boundary in code
// page 1251.

#include "maker/trvclnk/linkaboutbox.h"
#include "maker/trvclnk/linkerrors.h"
#include "maker/trvclnk/linklibrary.h"
#include "platform/codepage.h"

#include <QMessageBox>
#include <cstdint>

#ifdef _WIN32
#define TRVCLNK_EXPORT extern "C" __declspec(dllexport)
#else
#define TRVCLNK_EXPORT extern "C" __attribute__((visibility("default")))
#endif

using namespace vestan::trvclnk;

namespace {

// The library's one state. Never destroyed: at process exit the program has
// closed its ports, and Qt objects must not outlive the application object.
LinkLibrary &library()
{
    static LinkLibrary *instance = new LinkLibrary(LinkLibrary::defaultIniPath());
    return *instance;
}

} // namespace

TRVCLNK_EXPORT int32_t _trvCL_fInit(void)
{
    return library().init();
}

TRVCLNK_EXPORT int32_t _trvCL_fDlgSetup(int32_t mode, int32_t port)
{
    return library().dialog(mode, port);
}

TRVCLNK_EXPORT int32_t _trvCL_fOpen(int32_t port)
{
    return library().open(port);
}

TRVCLNK_EXPORT int32_t _trvCL_fClose(int32_t port)
{
    return library().close(port);
}

TRVCLNK_EXPORT int32_t _trvCL_fIsOpen(int32_t port)
{
    return library().isOpen(port);
}

TRVCLNK_EXPORT const char *_trvCL_fErr2str(int32_t code)
{
    return errorText(code);
}

TRVCLNK_EXPORT int32_t _trvCL_fChkErrType(int32_t code)
{
    return isFinalError(code);
}

TRVCLNK_EXPORT int32_t _trvCL_fRequest(int32_t port, const uint8_t *request, uint16_t requestLength,
                                       uint8_t *reply, uint16_t replyCapacity,
                                       uint16_t *replyLength)
{
    return library().request(port, request, requestLength, reply, replyCapacity, replyLength);
}

TRVCLNK_EXPORT int32_t _trvCL_fSetPhone(int32_t port, const char *phone)
{
    return library().setPhone(port, phone);
}

TRVCLNK_EXPORT uint32_t _trvCL_fParamBaud(int32_t port)
{
    return library().paramBaud(port);
}

TRVCLNK_EXPORT int32_t _trvCL_fSetEvent(int32_t port, int32_t event)
{
    return library().setEvent(port, event);
}

TRVCLNK_EXPORT int32_t _trv_about(const char *name, const char *version, const char *description,
                                  const char *credit)
{
    if (!haveWindowApplication())
        return kErrNoGui;
    auto box = makeAboutBox(vestan::fromCp1251(name), vestan::fromCp1251(version),
                            vestan::fromCp1251(description), vestan::fromCp1251(credit));
    box->exec();
    return kOk;
}
