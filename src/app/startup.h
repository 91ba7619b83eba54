#pragma once
// Start-up: the windows are created once each, in a fixed order, and live as long as the main
// window.

class TForm1;
class QApplication;

// Creates every window after the main window, in the order of start-up.
void CreateWindows(TForm1& main);

// Runs the program: creates the windows, shows the main window and runs the message loop until
// it closes. An error that escapes a command is shown and the program goes on.
int RunProgram(QApplication& app);
