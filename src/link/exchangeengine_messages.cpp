// The operator's messages for the result codes of the exchange engine.

#include "link/exchangeengine.h"
#include "link/gatewayaddress.h"

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

OperatorMessage ExchangeEngine::MessageFor(int device, int code) const {
    const std::string who = "устройство " + std::to_string(device + 1) + " " + PortName;
    switch (code) {
    case ResultCode::Ok:
        return Message({}, "", MsgIcon::None);
    case ResultCode::Busy:
        return Message(who + " Идет запись базы данных. Ждите.", kWarning, MsgIcon::Warning);
    case ResultCode::ReceiveError:
        return Message(who + " ошибка приема данных ", kWarning, MsgIcon::Warning);
    case ResultCode::Timeout:
        return Message(who + " тайм-аут приема данных", kWarning, MsgIcon::Warning);
    case ResultCode::NoAnswer:
        return Message(who + " не отвечает на запрос", kWarning, MsgIcon::Warning);
    case ResultCode::Checksum:
        return Message(who + " ошибка контрольной суммы", kWarning, MsgIcon::Warning);
    case ResultCode::PortCannotOpen: {
        // A gateway is no serial port: the operator looks for it on the network.
        std::string text = IsGatewayName(PortName) ? " невозможно соединиться со шлюзом "
                                                   : " невозможно открыть последовательный порт ";
        if (!openFailureText_.empty())
            text += "\n" + PortName + ": " + openFailureText_;
        return Message(text, kWarning, MsgIcon::Warning);
    }
    case ResultCode::Stopped:
        return Message("Обмен прерван оператором", kWarning, MsgIcon::Warning);
    case ResultCode::BusyTooLong:
        return Message(who + " слишком долго занят записью и не подтверждает ее", kWarning,
                       MsgIcon::Warning);
    case ResultCode::Collision:
        return Message(who + " на линии передавал другой прибор: переданные байты вернулись "
                             "искаженными",
                       kWarning, MsgIcon::Warning);
    case ResultCode::OwnRequestHeard:
        return Message(who + " в ответ пришел собственный запрос: адаптер возвращает "
                             "переданные байты. Включите «Эхо» в «Настройке обмена»",
                       kWarning, MsgIcon::Warning);
    case ResultCode::PortNotSetUp:
        return Message("вероятно, порт не настроен", kError, MsgIcon::Error);
    case ResultCode::PortSwitchOff:
        return Message("сбой настройки порта при выключении прибора", kError, MsgIcon::Error);
    case ResultCode::PortSetupError:
        return Message("ошибка настройки порта", kError, MsgIcon::Error);
    case ResultCode::PortNotOpen:
        return Message("Не выбран COM-порт.", kError, MsgIcon::Error);
    case ResultCode::PortFailure: {
        std::string text =
            (IsGatewayName(PortName) ? "Сбой соединения со шлюзом " : "Сбой COM-порта ") +
            PortName + " при чтении или записи";
        if (!portFailureText_.empty())
            text += " (" + portFailureText_ + ")";
        text += IsGatewayName(PortName) ? ". Проверьте шлюз и сеть и заново настройте порт."
                                        : ". Проверьте оборудование и заново настройте порт.";
        return Message(text, kError, MsgIcon::Error);
    }
    default:
        return Message(who + " ошибка обмена " + Hex2(code), kWarning, MsgIcon::Warning);
    }
}

void ExchangeEngine::ReportError(int device, int code, const std::string& more) {
    if (code == ResultCode::Ok)
        return;
    if (code == ResultCode::PortNotOpen)
        ClosePort();
    OperatorMessage message = MessageFor(device, code);
    if (!more.empty())
        message.text += "\n" + more;
    if (op_)
        op_->Ask(message);
}
