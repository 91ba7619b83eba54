#include "link/serialline.h"

#include "link/qtserialline.h"

bool SerialLine::acceptsPortName(const std::string& name, std::string* location) const {
    return QtSerialLine::IsSerialPortName(name, location);
}
