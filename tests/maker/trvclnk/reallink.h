#pragma once

#include "session/linkapi.h"
#include "tests/tools/trvsim/process/simprocess.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

namespace vestan::test {

// The real bin/trvCLNK.so, loaded by path with dlopen and bound by name like
// the program does. Its settings file is redirected with TRVCLNK_INI to a
// temporary trvCLNK.ini that the tests write.
class RealLink
{
public:
    static RealLink &instance();

    bool loaded() const { return error_.isEmpty(); }
    const QString &error() const { return error_; }
    const LinkApi &api() const { return api_; }
    const QString &iniPath() const { return iniPath_; }
    void writeIni(const QByteArray &text) const;

private:
    RealLink();

    QString iniPath_;
    QString error_;
    LinkApi api_;
};

using Bytes = std::vector<uint8_t>;

inline constexpr int32_t kCom2 = 1;
inline constexpr uint8_t kNet = 33;

// A request through the real library on COM2; reply holds what came back.
int32_t linkRequest(const Bytes &request, Bytes &reply, uint16_t capacity = 1071);
// Size (command 1) of an object, or nothing on failure.
bool requestSize(uint16_t code, uint32_t &size, uint8_t net = kNet);
// Reads an object whole with block reads of `portion` bytes, as the program
// walks it; false when any portion fails or comes back short.
bool readObject(uint16_t code, uint32_t size, uint16_t portion, Bytes &out);

Bytes readDumpFile(const QString &path);

} // namespace vestan::test
