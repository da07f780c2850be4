#pragma once

#include <cstdint>

// The link library's C interface. Texts are zero-terminated code page 1251
// strings; port is the 0-based port index (COM number - 1).
extern "C" {
typedef int32_t (*TrvInitFn)(void);
typedef int32_t (*TrvDlgSetupFn)(int32_t mode, int32_t port);
typedef int32_t (*TrvOpenFn)(int32_t port);
typedef int32_t (*TrvCloseFn)(int32_t port);
typedef int32_t (*TrvIsOpenFn)(int32_t port);
typedef const char *(*TrvErr2strFn)(int32_t code);
typedef int32_t (*TrvChkErrTypeFn)(int32_t code);
typedef int32_t (*TrvRequestFn)(int32_t port, const uint8_t *request, uint16_t requestLength,
                                uint8_t *reply, uint16_t replyCapacity, uint16_t *replyLength);
typedef int32_t (*TrvSetPhoneFn)(int32_t port, const char *phone);
typedef uint32_t (*TrvParamBaudFn)(int32_t port);
typedef int32_t (*TrvSetEventFn)(int32_t port, int32_t event);
typedef int32_t (*TrvAboutFn)(const char *name, const char *version, const char *description,
                              const char *credit);
}

namespace vestan {

// The link library's twelve entry points, bound by name at start-up. The rest
// of the program calls the library only through these places.
struct LinkApi
{
    TrvInitFn _trvCL_fInit = nullptr;
    TrvDlgSetupFn _trvCL_fDlgSetup = nullptr;
    TrvOpenFn _trvCL_fOpen = nullptr;
    TrvCloseFn _trvCL_fClose = nullptr;
    TrvIsOpenFn _trvCL_fIsOpen = nullptr;
    TrvErr2strFn _trvCL_fErr2str = nullptr;
    TrvChkErrTypeFn _trvCL_fChkErrType = nullptr;
    TrvRequestFn _trvCL_fRequest = nullptr;
    TrvSetPhoneFn _trvCL_fSetPhone = nullptr;
    TrvParamBaudFn _trvCL_fParamBaud = nullptr;
    TrvSetEventFn _trvCL_fSetEvent = nullptr;
    TrvAboutFn _trv_about = nullptr;
};

// Library file name searched for at start-up (linklibraryname.cpp and its
// Windows twin).
extern const char kLinkLibraryName[];

} // namespace vestan
