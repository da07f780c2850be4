#pragma once

#include "session/linkapi.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace vestan::test {

// A test entry-point table: a scripted link library with a small controller
// behind it. Only one FakeLink exists at a time (the C entry points find it
// through a pointer set by the constructor).
class FakeLink
{
public:
    FakeLink();
    ~FakeLink();
    FakeLink(const FakeLink &) = delete;
    FakeLink &operator=(const FakeLink &) = delete;

    static FakeLink *current();
    LinkApi api() const;

    // Every entry-point call, in order, e.g. "_trvCL_fParamBaud(1)".
    std::vector<std::string> calls;
    std::vector<std::string> callsNamed(const std::string &prefix) const;
    // Every request packet, as sent.
    std::vector<QByteArray> requests;

    // The controller: objects served by sizes (1), queries (2) and blocks (3);
    // writes (4) land in `written`.
    std::map<uint16_t, QByteArray> objects;
    std::map<uint16_t, QByteArray> written;
    // Results forced on the next requests, front first; 0 serves normally.
    std::deque<int> requestResults;
    // Result for a request of an object the controller lacks.
    int missingObjectResult = -2;
    // Replaces the controller; return the library's result.
    std::function<int(const QByteArray &request, uint8_t *reply, uint16_t capacity,
                      uint16_t *replyLength)>
        onRequest;
    // Called before each request is answered (e.g. to press the stop button).
    std::function<void(int requestIndex)> beforeRequest;

    std::set<int> finalCodes;
    std::map<int, QByteArray> errorTexts;   // code page 1251; missing code: NULL
    std::map<int, int32_t> dlgSetupResults; // by mode; default: mode 1 returns the port, else 0
    std::optional<int32_t> openResult;      // default: the port asked for
    int32_t openState = 0;
    uint32_t baud = 115200;
    std::vector<std::string> phones;
    std::vector<QString> aboutTexts;

    // Entry-point bodies.
    int32_t init();
    int32_t dlgSetup(int32_t mode, int32_t port);
    int32_t open(int32_t port);
    int32_t close(int32_t port);
    int32_t isOpen(int32_t port);
    const char *err2str(int32_t code);
    int32_t chkErrType(int32_t code);
    int32_t request(int32_t port, const uint8_t *req, uint16_t length, uint8_t *reply,
                    uint16_t capacity, uint16_t *replyLength);
    int32_t setPhone(int32_t port, const char *phone);
    uint32_t paramBaud(int32_t port);
    int32_t setEvent(int32_t port, int32_t event);
    int32_t about(const char *name, const char *version, const char *description,
                  const char *credit);

private:
    int serve(const QByteArray &request, uint8_t *reply, uint16_t capacity, uint16_t *replyLength);
};

} // namespace vestan::test
