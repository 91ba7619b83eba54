#pragma once
// The program's texts are UTF-8 in the sources; the windows show them as QString.

#include <QString>
#include <QStringList>
#include <string>

inline QString U(const char* s) {
    return QString::fromUtf8(s);
}
inline QString U(const std::string& s) {
    return QString::fromStdString(s);
}

// The one font family of every window: the first of these the system has (the scheme's
// compact drawing is measured in it), else the system's own.
inline QStringList ProgramFontFamilies() {
    return {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
            QStringLiteral("Nimbus Sans")};
}
