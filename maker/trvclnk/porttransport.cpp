#include "maker/trvclnk/porttransport.h"

#include "maker/trvclnk/networktransport.h"
#include "maker/trvclnk/serialtransport.h"

#include <QThread>

namespace vestan::trvclnk {

void PortTransport::pauseMs(int ms)
{
    if (ms > 0)
        QThread::msleep(ulong(ms));
}

std::unique_ptr<PortTransport> makePortTransport(const QString &device)
{
    if (isNetworkDevice(device))
        return std::make_unique<NetworkTransport>();
    return std::make_unique<SerialTransport>();
}

} // namespace vestan::trvclnk
