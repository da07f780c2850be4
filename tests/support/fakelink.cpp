#include "tests/support/fakelink.h"

#include "platform/codepage.h"

#include <cstring>

namespace vestan::test {
namespace {

FakeLink *g_current = nullptr;

uint16_t u16(const QByteArray &b, int at)
{
    return uint16_t(uint8_t(b[at]) | (uint8_t(b[at + 1]) << 8));
}

uint32_t u32(const QByteArray &b, int at)
{
    return uint32_t(uint8_t(b[at])) | (uint32_t(uint8_t(b[at + 1])) << 8) |
           (uint32_t(uint8_t(b[at + 2])) << 16) | (uint32_t(uint8_t(b[at + 3])) << 24);
}

void put16(uint8_t *p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

extern "C" {
int32_t fakeInit(void)
{
    return g_current->init();
}
int32_t fakeDlgSetup(int32_t mode, int32_t port)
{
    return g_current->dlgSetup(mode, port);
}
int32_t fakeOpen(int32_t port)
{
    return g_current->open(port);
}
int32_t fakeClose(int32_t port)
{
    return g_current->close(port);
}
int32_t fakeIsOpen(int32_t port)
{
    return g_current->isOpen(port);
}
const char *fakeErr2str(int32_t code)
{
    return g_current->err2str(code);
}
int32_t fakeChkErrType(int32_t code)
{
    return g_current->chkErrType(code);
}
int32_t fakeRequest(int32_t port, const uint8_t *req, uint16_t length, uint8_t *reply,
                    uint16_t capacity, uint16_t *replyLength)
{
    return g_current->request(port, req, length, reply, capacity, replyLength);
}
int32_t fakeSetPhone(int32_t port, const char *phone)
{
    return g_current->setPhone(port, phone);
}
uint32_t fakeParamBaud(int32_t port)
{
    return g_current->paramBaud(port);
}
int32_t fakeSetEvent(int32_t port, int32_t event)
{
    return g_current->setEvent(port, event);
}
int32_t fakeAbout(const char *name, const char *version, const char *description,
                  const char *credit)
{
    return g_current->about(name, version, description, credit);
}
}

std::string call(const char *name, int32_t a)
{
    return std::string(name) + "(" + std::to_string(a) + ")";
}

} // namespace

FakeLink::FakeLink()
{
    g_current = this;
}

FakeLink::~FakeLink()
{
    if (g_current == this)
        g_current = nullptr;
}

FakeLink *FakeLink::current()
{
    return g_current;
}

LinkApi FakeLink::api() const
{
    LinkApi api;
    api._trvCL_fInit = fakeInit;
    api._trvCL_fDlgSetup = fakeDlgSetup;
    api._trvCL_fOpen = fakeOpen;
    api._trvCL_fClose = fakeClose;
    api._trvCL_fIsOpen = fakeIsOpen;
    api._trvCL_fErr2str = fakeErr2str;
    api._trvCL_fChkErrType = fakeChkErrType;
    api._trvCL_fRequest = fakeRequest;
    api._trvCL_fSetPhone = fakeSetPhone;
    api._trvCL_fParamBaud = fakeParamBaud;
    api._trvCL_fSetEvent = fakeSetEvent;
    api._trv_about = fakeAbout;
    return api;
}

std::vector<std::string> FakeLink::callsNamed(const std::string &prefix) const
{
    std::vector<std::string> out;
    for (const auto &c : calls)
        if (c.rfind(prefix, 0) == 0)
            out.push_back(c);
    return out;
}

int32_t FakeLink::init()
{
    calls.push_back("_trvCL_fInit()");
    return 0;
}

int32_t FakeLink::dlgSetup(int32_t mode, int32_t port)
{
    calls.push_back("_trvCL_fDlgSetup(" + std::to_string(mode) + "," + std::to_string(port) + ")");
    const auto it = dlgSetupResults.find(mode);
    if (it != dlgSetupResults.end())
        return it->second;
    return mode == 1 ? port : 0;
}

int32_t FakeLink::open(int32_t port)
{
    calls.push_back(call("_trvCL_fOpen", port));
    const int32_t result = openResult.value_or(port);
    if (result >= 0)
        openState = 1;
    return result;
}

int32_t FakeLink::close(int32_t port)
{
    calls.push_back(call("_trvCL_fClose", port));
    openState = 0;
    return 0;
}

int32_t FakeLink::isOpen(int32_t port)
{
    calls.push_back(call("_trvCL_fIsOpen", port));
    return openState;
}

const char *FakeLink::err2str(int32_t code)
{
    calls.push_back(call("_trvCL_fErr2str", code));
    const auto it = errorTexts.find(code);
    return it == errorTexts.end() ? nullptr : it->second.constData();
}

int32_t FakeLink::chkErrType(int32_t code)
{
    calls.push_back(call("_trvCL_fChkErrType", code));
    return finalCodes.count(code) ? 1 : 0;
}

int32_t FakeLink::request(int32_t port, const uint8_t *req, uint16_t length, uint8_t *reply,
                          uint16_t capacity, uint16_t *replyLength)
{
    calls.push_back(call("_trvCL_fRequest", port));
    const QByteArray packet(reinterpret_cast<const char *>(req), length);
    requests.push_back(packet);
    if (beforeRequest)
        beforeRequest(int(requests.size()) - 1);
    if (!requestResults.empty()) {
        const int forced = requestResults.front();
        requestResults.pop_front();
        if (forced != 0)
            return forced;
    }
    if (onRequest)
        return onRequest(packet, reply, capacity, replyLength);
    return serve(packet, reply, capacity, replyLength);
}

int FakeLink::serve(const QByteArray &packet, uint8_t *reply, uint16_t capacity,
                    uint16_t *replyLength)
{
    if (packet.size() < 4)
        return missingObjectResult;
    const uint8_t command = uint8_t(packet[1]);
    const uint16_t code = u16(packet, 2);
    std::memcpy(reply, packet.constData(), 4);
    if (command == 4) {
        written[code] = packet.mid(6, packet.size() >= 6 ? u16(packet, 4) : 0);
        *replyLength = 4;
        return 0;
    }
    const auto it = objects.find(code);
    if (it == objects.end())
        return missingObjectResult;
    const QByteArray &object = it->second;
    if (command == 1) {
        const uint32_t size = uint32_t(object.size());
        std::memcpy(reply + 4, &size, 4);
        *replyLength = 8;
        return 0;
    }
    const uint16_t wanted = packet.size() >= 6 ? u16(packet, 4) : 0;
    const uint32_t offset = command == 3 && packet.size() >= 10 ? u32(packet, 6) : 0;
    const int head = command == 3 ? 10 : 6;
    const uint32_t available =
        offset < uint32_t(object.size()) ? uint32_t(object.size()) - offset : 0;
    const uint16_t count = uint16_t(std::min<uint32_t>(wanted, available));
    if (head + count > capacity)
        return missingObjectResult;
    put16(reply + 4, count);
    if (command == 3)
        std::memcpy(reply + 6, packet.constData() + 6, 4);
    std::memcpy(reply + head, object.constData() + offset, count);
    *replyLength = uint16_t(head + count);
    return 0;
}

int32_t FakeLink::setPhone(int32_t port, const char *phone)
{
    calls.push_back(call("_trvCL_fSetPhone", port));
    phones.push_back(phone ? phone : "");
    return 0;
}

uint32_t FakeLink::paramBaud(int32_t port)
{
    calls.push_back(call("_trvCL_fParamBaud", port));
    return baud;
}

int32_t FakeLink::setEvent(int32_t port, int32_t event)
{
    calls.push_back("_trvCL_fSetEvent(" + std::to_string(port) + "," + std::to_string(event) + ")");
    return 0;
}

int32_t FakeLink::about(const char *name, const char *version, const char *description,
                        const char *credit)
{
    calls.push_back("_trv_about()");
    aboutTexts = {fromCp1251(name), fromCp1251(version), fromCp1251(description),
                  fromCp1251(credit)};
    return 0;
}

} // namespace vestan::test
