#include "maker/trvclnk/linklibrary.h"

#include "maker/trvclnk/devicedialog.h"
#include "maker/trvclnk/linkerrors.h"
#include "maker/trvclnk/requestexchange.h"
#include "maker/trvclnk/setupdialog.h"
#include "maker/trvclnk/statisticsdialog.h"
#include "platform/dynlib.h"
#include "platform/settingslocation.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

namespace vestan::trvclnk {
namespace {

QString besideThisLibrary(const QString &fileName)
{
    const QString library = dynlib::modulePath(reinterpret_cast<const void *>(&besideThisLibrary));
    if (library.isEmpty())
        return fileName;
    return QDir::toNativeSeparators(QFileInfo(library).absolutePath() + u'/' + fileName);
}

void reportWriteFailure(const QString &path)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("trvCLNK"), QString(), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText); // a path is shown as it is, never as markup
    box.setText(QStringLiteral("Не удалось записать файл настроек:\n%1").arg(path));
    box.exec();
}

} // namespace

bool haveWindowApplication()
{
    return qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr;
}

LinkLibrary::LinkLibrary(QString iniPath) : file_(std::move(iniPath)) {}

QString LinkLibrary::defaultIniPath()
{
    const QString fromEnvironment = qEnvironmentVariable("TRVCLNK_INI");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return settingsLocation(besideThisLibrary(QStringLiteral("trvCLNK.ini")));
}

int32_t LinkLibrary::init()
{
    return kOk;
}

PortSettings LinkLibrary::configured(int port) const
{
    return file_.read(port);
}

const LinkPort *LinkLibrary::port(int port) const
{
    const auto it = ports_.find(port);
    return it == ports_.end() ? nullptr : it->second.get();
}

LinkPort &LinkLibrary::portAt(int port)
{
    auto &slot = ports_[port];
    if (!slot)
        slot = std::make_unique<LinkPort>(port);
    return *slot;
}

int32_t LinkLibrary::open(int32_t port)
{
    if (!isValidPort(port))
        return kErrBadPort;
    return portAt(port).open(configured(port));
}

int32_t LinkLibrary::close(int32_t port)
{
    if (!isValidPort(port))
        return kErrBadPort;
    const auto it = ports_.find(port);
    return it == ports_.end() ? kErrNotOpen : it->second->close();
}

int32_t LinkLibrary::isOpen(int32_t port) const
{
    const LinkPort *p = isValidPort(port) ? this->port(port) : nullptr;
    return p && p->isOpen() ? 1 : 0;
}

int32_t LinkLibrary::request(int32_t port, const uint8_t *request, uint16_t requestLength,
                             uint8_t *reply, uint16_t replyCapacity, uint16_t *replyLength)
{
    if (replyLength != nullptr)
        *replyLength = 0;
    if (!isValidPort(port))
        return kErrBadPort;
    if (request == nullptr || reply == nullptr || replyLength == nullptr || requestLength == 0)
        return kErrBadArgument;
    if (requestLength > kLinkBufferSize)
        return kErrRequestTooLong;
    const auto it = ports_.find(port);
    if (it == ports_.end())
        return kErrNotOpen;
    return it->second->request(request, requestLength, reply, replyCapacity, replyLength);
}

int32_t LinkLibrary::setPhone(int32_t port, const char *phone)
{
    if (!isValidPort(port))
        return kErrBadPort;
    QByteArray number = phone == nullptr ? QByteArray() : QByteArray(phone);
    number.truncate(kPhoneCapacity);
    portAt(port).setPhone(number);
    return kOk;
}

uint32_t LinkLibrary::paramBaud(int32_t port) const
{
    if (!isValidPort(port))
        return 0;
    const LinkPort *p = this->port(port);
    if (p && p->isOpen())
        return p->openSettings().baud;
    return configured(port).baud;
}

int32_t LinkLibrary::setEvent(int32_t port, int32_t event)
{
    if (!isValidPort(port))
        return kErrBadPort;
    if (event != 1)
        return kErrUnknownEvent;
    return portAt(port).endSession();
}

int32_t LinkLibrary::dialog(int32_t mode, int32_t port)
{
    if (!haveWindowApplication())
        return kErrNoGui;
    switch (mode) {
    case 0:
        return isValidPort(port) ? setupDialog(port) : kErrBadPort;
    case 1:
        return deviceDialog(port);
    case 2:
        return isValidPort(port) ? statisticsDialog(port) : kErrBadPort;
    default:
        return kErrBadArgument;
    }
}

int32_t LinkLibrary::setupDialog(int port)
{
    SetupDialog dialog(port, configured(port), QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted)
        return 1;
    if (!file_.storeLineSettings(port, dialog.settings())) {
        reportWriteFailure(file_.path());
        return kErrSettingsWrite;
    }
    return kOk;
}

int32_t LinkLibrary::deviceDialog(int port)
{
    DeviceDialog dialog(
        port, availableDevices(), [this](int p) { return configured(p).device; },
        QApplication::activeWindow());
    // The result becomes the program's port index, so every way out of the
    // dialog gives a valid one: the port it came with unless a choice was stored.
    const int unchanged = isValidPort(port) ? port : 0;
    if (dialog.exec() != QDialog::Accepted)
        return unchanged;
    if (!file_.storeDevice(dialog.chosenPort(), dialog.chosenDevice())) {
        reportWriteFailure(file_.path());
        return unchanged;
    }
    return dialog.chosenPort();
}

int32_t LinkLibrary::statisticsDialog(int port)
{
    const LinkPort *p = this->port(port);
    if (p == nullptr || !p->statistics().everOpened)
        return kErrNoStatistics;
    StatisticsDialog dialog(port, p->statistics(), p->isOpen(), QApplication::activeWindow());
    dialog.exec();
    return kOk;
}

} // namespace vestan::trvclnk
