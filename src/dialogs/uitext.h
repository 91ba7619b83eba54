#pragma once
// The program's texts are UTF-8 in the sources; the windows show them as QString.

#include <QString>
#include <string>

inline QString U(const char* s) {
    return QString::fromUtf8(s);
}
inline QString U(const std::string& s) {
    return QString::fromStdString(s);
}
