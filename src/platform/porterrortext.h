#pragma once
// What the system says about a failing serial port, in the operator's words: the messages are
// Russian, and the system's own texts follow the machine's language, often English.

#include <QSerialPort>
#include <string>

// A system error number (errno; 0 when the other end of the line hung up) in Russian words.
std::string PortErrorText(int systemError);
// A port error as QSerialPort reports it, in Russian words.
std::string PortErrorText(QSerialPort::SerialPortError error);
