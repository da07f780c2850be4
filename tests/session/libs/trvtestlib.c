/* A stand-in link library for the loader's tests: the twelve entry points do
 * next to nothing; compile definitions leave some of them out. */
#include <stdint.h>

#ifdef _WIN32
#define TRVTEST_EXPORT __declspec(dllexport)
#else
#define TRVTEST_EXPORT __attribute__((visibility("default")))
#endif

TRVTEST_EXPORT int32_t _trvCL_fInit(void)
{
    return 0;
}
TRVTEST_EXPORT int32_t _trvCL_fDlgSetup(int32_t mode, int32_t port)
{
    return mode == 1 ? port : 0;
}
TRVTEST_EXPORT int32_t _trvCL_fOpen(int32_t port)
{
    return port;
}
TRVTEST_EXPORT int32_t _trvCL_fClose(int32_t port)
{
    return port < 0 ? -1 : 0;
}
TRVTEST_EXPORT int32_t _trvCL_fIsOpen(int32_t port)
{
    (void)port;
    return 0;
}
TRVTEST_EXPORT const char *_trvCL_fErr2str(int32_t code)
{
    return code < 0 ? "test" : "";
}
TRVTEST_EXPORT int32_t _trvCL_fChkErrType(int32_t code)
{
    return code < 0;
}

TRVTEST_EXPORT int32_t _trvCL_fRequest(int32_t port, const uint8_t *request, uint16_t requestLength,
                                       uint8_t *reply, uint16_t replyCapacity,
                                       uint16_t *replyLength)
{
    (void)port;
    (void)request;
    (void)requestLength;
    (void)reply;
    (void)replyCapacity;
    *replyLength = 0;
    return -1;
}

TRVTEST_EXPORT int32_t _trvCL_fSetPhone(int32_t port, const char *phone)
{
    (void)phone;
    return port < 0 ? -1 : 0;
}

/* Distinct per build, so a test can tell which library answered. */
TRVTEST_EXPORT uint32_t _trvCL_fParamBaud(int32_t port)
{
    (void)port;
    return TRVTEST_BAUD;
}

#ifndef TRVTEST_WITHOUT_SET_EVENT
TRVTEST_EXPORT int32_t _trvCL_fSetEvent(int32_t port, int32_t event)
{
    (void)port;
    return event;
}
#endif

#ifndef TRVTEST_WITHOUT_ABOUT
TRVTEST_EXPORT int32_t _trv_about(const char *name, const char *version, const char *description,
                                  const char *credit)
{
    (void)name;
    (void)version;
    (void)description;
    (void)credit;
    return 0;
}
#endif
