#include "platform/linememory.h"

#include "link/gatewayaddress.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

namespace {

const char* const kById = "/dev/serial/by-id";
const char* const kUsbPrefix = "usb:";

QString UsbIdentity(const QSerialPortInfo& info) {
    if (info.serialNumber().isEmpty() || !info.hasVendorIdentifier())
        return {};
    return QString("%1%2:%3:%4")
        .arg(kUsbPrefix)
        .arg(info.vendorIdentifier(), 4, 16, QChar('0'))
        .arg(info.productIdentifier(), 4, 16, QChar('0'))
        .arg(info.serialNumber());
}

// The port as the system lists it: by its name (ttyUSB0) or its path (/dev/ttyUSB0).
bool SamePort(const QSerialPortInfo& info, const QString& port) {
    return info.portName() == port || info.systemLocation() == port ||
           QFileInfo(info.systemLocation()).canonicalFilePath() ==
               QFileInfo(port).canonicalFilePath();
}

} // namespace

LineMemory::LineMemory()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, "lum08",
                                            "lum08")) {}

LineMemory::LineMemory(const QString& file)
    : settings_(std::make_unique<QSettings>(file, QSettings::IniFormat)) {}

QString LineMemory::Identity(const QString& port) {
    if (port.isEmpty() || IsGatewayName(port.toStdString()))
        return port;
    const QString device =
        QFileInfo(port.startsWith('/') ? port : QString("/dev/") + port).canonicalFilePath();
    if (!device.isEmpty()) {
        const QDir byId(kById);
        for (const QFileInfo& link : byId.entryInfoList(QDir::System | QDir::Files))
            if (link.canonicalFilePath() == device)
                return link.absoluteFilePath();
    }
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        if (SamePort(info, port))
            if (const QString usb = UsbIdentity(info); !usb.isEmpty())
                return usb;
    return port;
}

QString LineMemory::Resolve(const QString& identity) {
    if (identity.startsWith(kById)) {
        const QString device = QFileInfo(identity).canonicalFilePath();
        return device.isEmpty() ? QString() : QFileInfo(device).fileName();
    }
    if (identity.startsWith(kUsbPrefix)) {
        for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
            if (UsbIdentity(info) == identity)
                return info.portName();
        return {};
    }
    return identity;
}

bool LineMemory::Load(RememberedLine& line) const {
    const QString identity = settings_->value("line/port").toString();
    if (identity.isEmpty())
        return false;
    const QString port = Resolve(identity);
    // An adapter that is not plugged in now: its last name, for the operator to see.
    line.port = port.isEmpty() ? settings_->value("line/name").toString() : port;
    line.speed = settings_->value("line/speed", 9600).toInt();
    const QString parity = settings_->value("line/parity", "N").toString();
    line.parity = parity == "O" || parity == "E" ? parity[0].toLatin1() : 'N';
    line.stopBits = settings_->value("line/stopBits", 2).toInt() == 1 ? 1 : 2;
    return true;
}

void LineMemory::Save(const RememberedLine& line) {
    settings_->setValue("line/port", Identity(line.port));
    settings_->setValue("line/name", line.port);
    settings_->setValue("line/speed", line.speed);
    settings_->setValue("line/parity", QString(QChar(line.parity)));
    settings_->setValue("line/stopBits", line.stopBits);
    settings_->sync();
}
