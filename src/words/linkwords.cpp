// The operator's messages for what the exchange engine reports.

#include "words/linkwords.h"

#include "link/exchangeengine.h"

#include <cstdio>

namespace {

const char* const kWarning = "Предупреждение";
const char* const kError = "Ошибка";

// At least two upper-case hexadecimal digits, as the device's manual writes exception codes.
std::string Hex2(int code) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(code));
    return text;
}

OperatorMessage Message(std::string text, const char* caption, MsgIcon icon) {
    return {std::move(text), caption, icon, {MsgButton::Ok}, MsgButton::Ok};
}

} // namespace

OperatorMessage LinkErrorMessage(const LinkError& error) {
    const std::string& port = error.port;
    const std::string who = "устройство " + std::to_string(error.device + 1) + " " + port;
    switch (error.fault) {
    case LinkFault::None:
        return Message({}, "", MsgIcon::None);
    case LinkFault::Busy:
        return Message(who + " Идет запись базы данных. Ждите.", kWarning, MsgIcon::Warning);
    case LinkFault::ReceiveError:
        return Message(who + " ошибка приема данных ", kWarning, MsgIcon::Warning);
    case LinkFault::Incomplete:
        return Message(who + " тайм-аут приема данных", kWarning, MsgIcon::Warning);
    case LinkFault::NoAnswer:
        return Message(who + " не отвечает на запрос", kWarning, MsgIcon::Warning);
    case LinkFault::Checksum:
        return Message(who + " ошибка контрольной суммы", kWarning, MsgIcon::Warning);
    case LinkFault::PortCannotOpen: {
        // A gateway is no serial port: the operator looks for it on the network.
        std::string text = error.gateway ? " невозможно соединиться со шлюзом "
                                         : " невозможно открыть последовательный порт ";
        if (!error.detail.empty())
            text += "\n" + port + ": " + error.detail;
        return Message(text, kWarning, MsgIcon::Warning);
    }
    case LinkFault::Stopped:
        return Message("Обмен прерван оператором", kWarning, MsgIcon::Warning);
    case LinkFault::BusyTooLong:
        return Message(who + " слишком долго занят записью и не подтверждает ее", kWarning,
                       MsgIcon::Warning);
    case LinkFault::Collision:
        return Message(who + " на линии передавал другой прибор: переданные байты вернулись "
                             "искаженными",
                       kWarning, MsgIcon::Warning);
    case LinkFault::OwnRequestHeard:
        return Message(who + " в ответ пришел собственный запрос: адаптер возвращает "
                             "переданные байты. Включите «Эхо» в «Настройке обмена»",
                       kWarning, MsgIcon::Warning);
    case LinkFault::PortSetup:
        if (error.code == ResultCode::PortNotSetUp)
            return Message("вероятно, порт не настроен", kError, MsgIcon::Error);
        if (error.code == ResultCode::PortSwitchOff)
            return Message("сбой настройки порта при выключении прибора", kError, MsgIcon::Error);
        return Message("ошибка настройки порта", kError, MsgIcon::Error);
    case LinkFault::PortNotOpen:
        return Message("Не выбран COM-порт.", kError, MsgIcon::Error);
    case LinkFault::PortFailure: {
        std::string text = (error.gateway ? "Сбой соединения со шлюзом " : "Сбой COM-порта ") +
                           port + " при чтении или записи";
        if (!error.detail.empty())
            text += " (" + error.detail + ")";
        text += error.gateway ? ". Проверьте шлюз и сеть и заново настройте порт."
                              : ". Проверьте оборудование и заново настройте порт.";
        return Message(text, kError, MsgIcon::Error);
    }
    case LinkFault::DeviceException:
    case LinkFault::Other:
        break;
    }
    return Message(who + " ошибка обмена " + Hex2(error.code), kWarning, MsgIcon::Warning);
}

OperatorMessage MessageFor(const ExchangeEngine& engine, int device, int code) {
    return LinkErrorMessage(engine.ErrorOf(device, code));
}

void ReportError(ExchangeEngine& engine, int device, int code, const std::string& more) {
    if (code == ResultCode::Ok)
        return;
    if (code == ResultCode::PortNotOpen)
        engine.ClosePort();
    OperatorMessage message = MessageFor(engine, device, code);
    if (!more.empty())
        message.text += "\n" + more;
    if (Operator* op = engine.GetOperator())
        op->Ask(message);
}

void UseLinkWords(ExchangeEngine& engine) {
    engine.SetErrorWords([](const LinkError& error) { return LinkErrorMessage(error).text; });
}
