#pragma once
// lum08 --self-test: the main window with all its windows reads the built-in device emulator,
// unattended, so an installation can be checked on a machine without hardware or screen.

class LumApplication;

// 0 when the device was read; otherwise says on standard error what failed and returns 1
// (2 where the platform has no built-in emulator).
int RunSelfTest(LumApplication& app);
