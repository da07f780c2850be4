#pragma once

#include "maker/trvclnk/portsettings.h"

#include <QString>

namespace vestan::trvclnk {

// trvCLNK.ini, the library's port table: section [COMn] per port with the
// keys of PortSettings. Every read takes the file as it is now, so edits by
// hand count from the next open.
class LinkSettingsFile
{
public:
    explicit LinkSettingsFile(QString path);

    const QString &path() const { return path_; }

    PortSettings read(int port) const;
    // False when the path is empty, the port invalid or the file cannot be written.
    bool storeDevice(int port, const QString &device);
    // Every key but Device.
    bool storeLineSettings(int port, const PortSettings &settings);

private:
    QString path_;
};

} // namespace vestan::trvclnk
