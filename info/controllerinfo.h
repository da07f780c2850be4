#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

namespace vestan {

struct Session;

// Reads the supply voltage, frequency and temperature once: their line, or
// empty after the request layer's message. The caller holds the running flag.
QString readPowerReadings(Session &state);

// Where the information readout's results go: the information page's
// controls, or the command line's output.
class ControllerInfoSink
{
public:
    virtual ~ControllerInfoSink() = default;
    // The header size is known and room for it was found: earlier results go.
    virtual void clear() {}
    // The request-handler version line, or "Очень старая версия." without one.
    virtual void handlerVersion(const QString &text) = 0;
    // Before each portion of the header.
    virtual void portion() {}
    // The controller version text and the summary lines of a whole header;
    // the first line says why the journal-check library refused it, if it did.
    virtual void header(const QString &version, const QStringList &lines) = 0;
};

// Reads the request-handler version and the journal header from the
// controller, without any control. The caller holds the running flag.
class ControllerInfo
{
public:
    ControllerInfo(Session &state, ControllerInfoSink &sink) : state_(state), sink_(sink) {}

    // 0, or the first request's error; a stop between portions is no error,
    // but leaves the header unread.
    int read();
    bool headerRead() const { return headerRead_; }

    // Room for a raw header of size bytes plus 16 spare, or null when that
    // cannot be had (also when the size does not fit the check's 32-bit signed size).
    static std::unique_ptr<uint8_t[]> allocateHeader(uint32_t size);

    // The request-handler version alone, without messages: 0 when it came.
    int readHandlerVersion();

private:
    int readHeader(uint8_t *raw, uint32_t size, bool &complete);
    void showHeader(const uint8_t *raw, uint32_t size);

    Session &state_;
    ControllerInfoSink &sink_;
    bool headerRead_ = false;
};

} // namespace vestan
