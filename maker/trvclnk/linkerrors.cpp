#include "maker/trvclnk/linkerrors.h"

#include "platform/codepage.h"

#include <map>
#include <string>

namespace vestan::trvclnk {
namespace {

// Converted once; the strings live until the library is unloaded, so the
// pointers handed out stay valid.
const std::map<int32_t, std::string> &texts()
{
    static const std::map<int32_t, std::string> table = [] {
        const std::map<int32_t, const char *> utf8 = {
            {kErrNotOpen, "Порт не открыт"},
            {kErrOpenFailed, "Не удалось открыть устройство связи"},
            {kErrTimeout, "Нет ответа контроллера (тайм-аут)"},
            {kErrCrc, "Ошибка контрольной суммы в ответе"},
            {kErrMalformed, "Искажённый кадр ответа"},
            {kErrReplyTooLarge, "Ответ не помещается в буфер приёма"},
            {kErrWriteFailed, "Ошибка передачи в устройство связи"},
            {kErrDeviceLost, "Устройство связи перестало отвечать"},
            {kErrBadPort, "Недопустимый номер порта"},
            {kErrBadArgument, "Недопустимые параметры запроса"},
            {kErrSettingsWrite, "Не удалось записать файл настроек trvCLNK.ini"},
            {kErrNoGui, "Диалог недоступен: программа без окон"},
            {kErrNoStatistics, "Нет статистики: порт не открывался"},
            {kErrUnknownEvent, "Неизвестное событие"},
            {kErrNoPermission, "Нет прав на устройство связи.\n"
                               "Пользователь должен входить в группу dialout:\n"
                               "sudo usermod -aG dialout $USER\n"
                               "после чего нужно выйти из системы и войти снова"},
            {kErrNoDevice, "Устройство связи не найдено"},
            {kErrDeviceBusy, "Устройство связи занято другой программой"},
            {kErrModemBusy, "Модем: линия занята (BUSY)"},
            {kErrModemNoCarrier, "Модем: нет несущей (NO CARRIER)"},
            {kErrModemNoDialtone, "Модем: нет гудка в линии (NO DIALTONE)"},
            {kErrModemNoAnswer, "Модем: абонент не отвечает (NO ANSWER)"},
            {kErrModemDialTimeout, "Модем: нет соединения за отведённое время"},
            {kErrModemNoResponse, "Модем не отвечает на команды"},
            {kErrModemError, "Модем отверг команду (ERROR)"},
            {kErrPhoneNotDialable,
             "Номер телефона содержит символы, которые модем не может набрать.\n"
             "Допустимы цифры, пробел и знаки + * # , ( ) - . / W P T ! @"},
            {kErrHostNotFound, "Сетевой порт: имя сервера не найдено"},
            {kErrConnectionRefused,
             "Сетевой порт: сервер отказал в соединении (сервер не запущен, порт на нём "
             "не настроен или занят другим клиентом)"},
            {kErrConnectTimeout, "Сетевой порт: сервер не ответил за время ожидания соединения"},
            {kErrComPortRefused, "Сетевой порт: сервер не принял управление COM-портом (RFC 2217)"},
            {kErrConnectionLost, "Сетевой порт: соединение с сервером разорвано"},
            {kErrBadAddress, "Неверный адрес сетевого порта: нужно tcp://СЕРВЕР:ПОРТ или "
                             "rfc2217://СЕРВЕР:ПОРТ"},
            {kErrStopped, "Операция прервана пользователем"},
            {kErrRequestTooLong, "Запрос не помещается в буфер связи"},
        };
        std::map<int32_t, std::string> out;
        for (const auto &[code, text] : utf8)
            out.emplace(code, utf8ToCp1251(text));
        return out;
    }();
    return table;
}

} // namespace

const char *errorText(int32_t code)
{
    const auto &table = texts();
    const auto it = table.find(code);
    return it == table.end() ? "" : it->second.c_str();
}

int32_t isFinalError(int32_t code)
{
    switch (code) {
    case kOk:
    case kErrTimeout:
    case kErrCrc:
    case kErrMalformed:
    // A server that is away or a connection that dropped may be back by the
    // next attempt, as a silent line may.
    case kErrConnectionRefused:
    case kErrConnectTimeout:
    case kErrConnectionLost:
        return 0;
    default:
        return 1;
    }
}

} // namespace vestan::trvclnk
