#include "platform/portline.h"

PortLine::~PortLine() {
    close();
}

bool PortLine::open(const LineSettings& settings) {
    active_->close();
    active_ = IsGatewayName(settings.portName) ? static_cast<SerialLine*>(&gateway_) : &serial_;
    return active_->open(settings);
}

bool PortLine::close() {
    return active_->close();
}

bool PortLine::isOpen() const {
    return active_->isOpen();
}

bool PortLine::purge() {
    return active_->purge();
}

int PortLine::write(const uint8_t* bytes, int count) {
    return active_->write(bytes, count);
}

int PortLine::read(uint8_t* buffer, int count) {
    return active_->read(buffer, count);
}

std::string PortLine::errorText() const {
    return active_->errorText();
}

std::string PortLine::openFailureText() const {
    return active_->openFailureText();
}

bool PortLine::acceptsPortName(const std::string& name, std::string* location) const {
    return IsGatewayName(name) ? gateway_.acceptsPortName(name, location)
                               : serial_.acceptsPortName(name, location);
}

void PortLine::SetFirstByteTimeoutMs(int ms) {
    serial_.SetFirstByteTimeoutMs(ms);
    gateway_.SetFirstByteTimeoutMs(ms);
}
