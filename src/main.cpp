#include "app/startup.h"

int main(int argc, char** argv) {
    LumApplication app(argc, argv);
    return RunProgram(app);
}
