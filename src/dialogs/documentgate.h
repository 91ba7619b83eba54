#pragma once
// The one gate before the document is replaced or thrown away (reading a device, opening or
// creating a file, opening a back-up, closing the program): when the document holds work that
// neither a file nor the device keeps, the operator is asked "Данные были изменены. Сохранить в
// файле?" with Да / Нет / Отмена. Отмена and Esc keep everything as it was.

class WindowContext;

// true: the command may go on (nothing unsaved, saved now, or given up by the operator);
// false: it stops and the document stays as it is.
bool MayDropDocument(WindowContext& context);
