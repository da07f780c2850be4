#pragma once

#include "maker/trvclnk/linkport.h"
#include "maker/trvclnk/linksettingsfile.h"
#include "maker/trvclnk/portsettings.h"

#include <QString>
#include <cstdint>
#include <map>
#include <memory>

namespace vestan::trvclnk {

inline constexpr int kPhoneCapacity = 48;

// Everything the twelve entry points reach: the port table read from
// trvCLNK.ini and the ports opened through it.
class LinkLibrary
{
public:
    explicit LinkLibrary(QString iniPath);

    // The settings file: $TRVCLNK_INI when set, else trvCLNK.ini beside the
    // library's own file when it is there or can be made there, else
    // trvCLNK.ini in the user's settings folder (an installed library).
    static QString defaultIniPath();

    int32_t init();
    int32_t open(int32_t port);
    int32_t close(int32_t port);
    int32_t isOpen(int32_t port) const;
    int32_t request(int32_t port, const uint8_t *request, uint16_t requestLength, uint8_t *reply,
                    uint16_t replyCapacity, uint16_t *replyLength);
    int32_t setPhone(int32_t port, const char *phone);
    uint32_t paramBaud(int32_t port) const;
    int32_t setEvent(int32_t port, int32_t event);
    int32_t dialog(int32_t mode, int32_t port);

    // The settings of a port as the file holds them now.
    PortSettings configured(int port) const;
    // The port's record, or null when it was never touched.
    const LinkPort *port(int port) const;

private:
    LinkPort &portAt(int port);
    int32_t setupDialog(int port);
    int32_t deviceDialog(int port);
    int32_t statisticsDialog(int port);

    LinkSettingsFile file_;
    std::map<int, std::unique_ptr<LinkPort>> ports_;
};

// True when a window application runs, so dialogs can be shown.
bool haveWindowApplication();

} // namespace vestan::trvclnk
