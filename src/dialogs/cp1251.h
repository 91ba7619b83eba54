#pragma once
// Text labels are kept by the model as raw Windows-1251 bytes; only the windows convert.

#include <QString>
#include <cstdint>
#include <string>

QString FromCp1251(const std::string& bytes);
QString FromCp1251(const uint8_t* bytes, int count);
// Characters outside the code page become '?'.
std::string ToCp1251(const QString& text);
