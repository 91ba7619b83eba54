#pragma once
// The windows' side of the one write path (link/devicewrite.h): the bar with its step text and
// "Стоп", the back-up kept in the device history, the question whether to write without one,
// and what the operator is told afterwards. Every window that writes to a device calls this.

#include "link/devicewrite.h"

class ExchangeProgress;
class WindowContext;

// The write request of a window for the scope: the operator's access level and verify setting.
WriteRequest WindowWriteRequest(WindowContext& context, const WriteScope& scope,
                                bool initialPause = true);

// Writes the scope of the window context's document to its device. progress may be null (no
// bar). The report says what happened; the operator has been told, and the main window's status
// line says it too (WriteOutcomeLine).
DeviceWriteReport WriteFromWindow(WindowContext& context, ExchangeProgress* progress,
                                  const WriteScope& scope, bool initialPause = true);

// The bus number of the context's device to newNumber (0-based) through the write path.
DeviceWriteReport ChangeBusNumberFromWindow(WindowContext& context, ExchangeProgress* progress,
                                            int newNumber);

// What a write did, in one status line: "Записано в прибор 1: 2 модуля и сетевые блоки".
QString WriteOutcomeLine(const DeviceWriteReport& report);

// "3 модуля", "1 модуль", "5 модулей".
QString ModulesText(int count);
