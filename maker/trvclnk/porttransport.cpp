#include "maker/trvclnk/porttransport.h"

#include "maker/trvclnk/networktransport.h"
#include "maker/trvclnk/serialtransport.h"

namespace vestan::trvclnk {

std::unique_ptr<PortTransport> makePortTransport(const QString &device)
{
    if (isNetworkDevice(device))
        return std::make_unique<NetworkTransport>();
    return std::make_unique<SerialTransport>();
}

} // namespace vestan::trvclnk
