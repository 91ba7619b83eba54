#pragma once
// The last port and its line settings, kept between runs (the user's settings of the program).
// A USB adapter is remembered by what it is rather than by the name the system gave it this
// time: its /dev/serial/by-id path or its serial number, so that an adapter that came back as
// ttyUSB1 instead of ttyUSB0 is still found.

#include <QSettings>
#include <QString>

#include <memory>

struct RememberedLine {
    QString port; // the name to open now
    int speed = 9600;
    char parity = 'N';
    int stopBits = 2;
};

class LineMemory {
public:
    // The program's own settings; a given file instead (tests).
    LineMemory();
    explicit LineMemory(const QString& file);

    // What was kept, with the port found again by its identity; nothing when nothing was kept.
    bool Load(RememberedLine& line) const;
    void Save(const RememberedLine& line);

    // What stands for the port between runs: its /dev/serial/by-id path, else "usb:VID:PID:SERIAL"
    // when the system knows a serial number, else the name itself (a board's port, a gateway).
    static QString Identity(const QString& port);
    // The name to open the port by now, from an identity; empty when that adapter is not there.
    static QString Resolve(const QString& identity);

private:
    std::unique_ptr<QSettings> settings_;
};
