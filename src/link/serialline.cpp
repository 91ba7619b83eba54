#include "link/serialline.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

bool SerialLine::acceptsPortName(const std::string& name, std::string* location) const {
    if (name.empty() || name.find('\0') != std::string::npos)
        return false;
#ifdef _WIN32
    std::string upper = name;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    std::string digits;
    if (upper.rfind("\\\\.\\COM", 0) == 0)
        digits = upper.substr(7);
    else if (upper.rfind("COM", 0) == 0)
        digits = upper.substr(3);
    if (digits.empty() || digits.size() > 3 || digits[0] == '0' ||
        !std::all_of(digits.begin(), digits.end(),
                     [](unsigned char c) { return std::isdigit(c) != 0; }))
        return false;
    if (location)
        *location = name;
    return true;
#else
    std::string path;
    if (name.front() == '/')
        path = name;
    else if (name.find('/') == std::string::npos)
        path = "/dev/" + name;
    else
        return false; // a relative path would depend on the working directory
    // The status follows symbolic links, so a link to a port (an emulator's --link) counts.
    std::error_code error;
    if (!std::filesystem::is_character_file(path, error))
        return false;
    if (location)
        *location = path;
    return true;
#endif
}
