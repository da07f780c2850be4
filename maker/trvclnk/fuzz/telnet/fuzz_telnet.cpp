// Fuzzes the Telnet reader of the network port: the server's bytes go in, in
// chunks of arbitrary sizes, and only the data the server sent may come out.
//
// Input: byte 0 is the mode, byte 1 seeds the chunk sizes, the rest is the
// stream. Mode bit 0 reads the rest as records [kind][length][bytes]: kind
// bit 0 sends the bytes as data (0xFF doubled), otherwise as a command
// (negotiation with verb and option from the bytes, or a subnegotiation whose
// bytes are doubled the same way); without bit 0 the rest is the raw stream.
// Bits 4-7 bound the chunk size (1 << n bytes).
//
// What must hold: the data read from a stream of records is exactly the data
// records' bytes; any stream read in chunks gives the same data, answers and
// Com Port Control state as the whole stream read at once; the answers are
// whole negotiations, never more than the negotiations received.

#include "maker/trvclnk/fuzz/fuzzsupport.h"
#include "maker/trvclnk/telnetcodec.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace vestan::trvclnk::telnet;

namespace {

using vestan::fuzz::check;
using vestan::fuzz::Chunker;

using Bytes = std::vector<uint8_t>;

struct Read
{
    Bytes data;
    Bytes answers;
    TelnetReader::ComPort comPort;
};

Read readAll(const Bytes &stream, Chunker *chunker)
{
    TelnetReader reader;
    Read out;
    size_t at = 0;
    while (at < stream.size()) {
        const size_t n =
            chunker ? std::min(chunker->next(), stream.size() - at) : stream.size() - at;
        reader.feed(stream.data() + at, n, out.data, out.answers);
        at += n;
    }
    out.comPort = reader.comPort();
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const uint8_t mode = data[0];
    Chunker chunker{uint32_t(data[1]) * 2654435761u | 1u, size_t(1) << (mode >> 4)};
    Bytes stream;
    Bytes expected;
    const bool records = (mode & 1) != 0;
    size_t negotiations = 0;
    if (records) {
        size_t at = 2;
        while (at + 2 <= size) {
            const uint8_t kind = data[at];
            const size_t length = std::min<size_t>(data[at + 1], size - at - 2);
            const uint8_t *bytes = data + at + 2;
            at += 2 + length;
            if (kind & 1) {
                appendEscaped(stream, bytes, length);
                expected.insert(expected.end(), bytes, bytes + length);
            } else if (length >= 2 && (kind & 2)) {
                appendNegotiation(stream, uint8_t(kWill + bytes[0] % 4), bytes[1]);
                ++negotiations;
            } else if (length >= 2) {
                appendComPortCommand(stream, bytes[0], bytes + 1, length - 1);
            }
        }
    } else {
        stream.assign(data + 2, data + size);
        negotiations = stream.size() / 3;
    }

    const Read whole = readAll(stream, nullptr);
    const Read chunked = readAll(stream, &chunker);
    check(whole.data == chunked.data);
    check(whole.answers == chunked.answers);
    check(whole.comPort == chunked.comPort);
    if (records)
        check(whole.data == expected);
    check(whole.answers.size() % 3 == 0 && whole.answers.size() / 3 <= negotiations);
    for (size_t i = 0; i < whole.answers.size(); i += 3)
        check(whole.answers[i] == kIac && whole.answers[i + 1] >= kWill);
    return 0;
}
