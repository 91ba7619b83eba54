#include "version/version.h"

#include "lum_version_gen.h"

const char* LumVersion() {
    return LUM_VERSION_TEXT;
}

const char* LumBuildDate() {
    return LUM_BUILD_DATE_TEXT;
}

std::string LumVersionLine(const std::string& program) {
    return program + " " + LumVersion();
}
