#include "platform/porterrortext.h"

#include <cerrno>

std::string PortErrorText(int systemError) {
    switch (systemError) {
    case 0:
    case EIO:
    case ENXIO:
    case ENODEV:
        return "порт отключен";
    case ENOENT:
        return "порт не найден";
    case EACCES:
    case EPERM:
        return "нет прав доступа к порту";
    case EBUSY:
        return "порт занят другой программой";
    case EBADF:
        return "порт закрыт";
    case ETIMEDOUT:
        return "истекло время ожидания";
    default:
        return "системная ошибка " + std::to_string(systemError);
    }
}

std::string PortErrorText(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::NoError:
        return {};
    case QSerialPort::DeviceNotFoundError:
        return "порт не найден";
    case QSerialPort::PermissionError:
        return "нет прав доступа к порту или он занят другой программой";
    case QSerialPort::OpenError:
        return "порт уже открыт";
    case QSerialPort::WriteError:
        return "ошибка записи в порт";
    case QSerialPort::ReadError:
        return "ошибка чтения из порта";
    case QSerialPort::ResourceError:
        return "порт отключен";
    case QSerialPort::UnsupportedOperationError:
        return "порт не поддерживает эту настройку";
    case QSerialPort::TimeoutError:
        return "истекло время ожидания";
    case QSerialPort::NotOpenError:
        return "порт закрыт";
    case QSerialPort::UnknownError:
        break;
    }
    return "неизвестная ошибка порта";
}
