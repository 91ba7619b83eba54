#include "dialogs/windowcontext.h"

#include "link/exchangeengine.h"

bool WindowContext::TakeStep(bool undo) {
    if (Engine().InExchange())
        return false;
    DeviceDocument& doc = Document();
    if (!(undo ? doc.Undo() : doc.Redo()))
        return false;
    ShowDocumentAgain();
    return true;
}
