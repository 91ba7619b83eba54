// The scheme editor's tests share one device: an "МЛВ" in slot 0, an "МСЮ" in slot 3 and an
// "МЛВ" in slot 5 with known records, read into the main window as F9 would.
#pragma once

#include "emu/device.h"
#include "guisupport/guiharness.h"
#include "scheme/schemeeditor.h"

#include <array>
#include <functional>

namespace schemetest {

QString U(const char* s);

// Records of the three modules (18 bytes each, three per input: flags, delay/sound/archive,
// module parameter).
extern const emu::Device::Records kMlvRecords;
extern const emu::Device::Records kMsuRecords;
extern const emu::Device::Records kEmptyRecords;

// Fits the three modules with their records into the emulated device and reads it with the
// main window's F9; gives input i the label "Вход i" (i counted from 0).
void ReadDevice(GuiHarness& h);

// Opens the editor for module m (1..6) with the main window's program button; look runs while
// the editor is on the screen. Returns the editor's modal result.
int OpenEditor(GuiHarness& h, int m, const std::function<void(SchemeEditor&)>& look = {});

// Whether a scheme element is shown (the editor itself may be hidden already).
bool Shown(const QWidget* w);

// A double click as the mouse makes it: press, release, double click, release.
void DoubleClick(QWidget* w, QPoint at = QPoint());

// The requests the emulated device saw with a function code.
int Requests(GuiHarness& h, int function);

} // namespace schemetest
