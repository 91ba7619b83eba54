#pragma once
// Puts a configuration into the main window the way the operator does, for the inputs table
// and report tests, and works the table's grid with the mouse.

#include "guisupport/guiharness.h"

#include <QString>

class QTableWidget;

// Creates a configuration file with the given number of "МСЮ" modules in slots 0.. (default
// labels Дискр.сигн.001 ..), opens it with the main window's open command and returns its path.
QString OpenCreatedFile(GuiHarness& h, const QString& dir, int modules);
// Fits the emulated device with "МСЮ" modules in slots 0.., gives it the bus address, selects
// that device in the main window and reads it.
void ReadDeviceWith(GuiHarness& h, int modules, int address = 1);

// Mouse on grid row r (1-based: row 0 is the header) and column c, scrolled into view.
void DoubleClickCell(QTableWidget* grid, int r, int c);
void RightClickCell(QTableWidget* grid, int r, int c);

QString U8(const char* s);
