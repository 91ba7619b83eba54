#pragma once
// The version every program prints: the project version and the git commit it was built from.
// Plain C++, so the emulator and the console program link it as well as the windows.

#include <string>

// "1.0+g57e49ce": the project version, "+g" and the commit where the build had one.
const char* LumVersion();
// The date of the build, "YYYY-MM-DD".
const char* LumBuildDate();
// The line --version prints: the program's name and the version.
std::string LumVersionLine(const std::string& program);
