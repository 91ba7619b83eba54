#include "dialogs/windowcontext.h"

#include "platform/enginethread.h"

bool WindowContext::TakeStep(bool undo) {
    if (Exchanges().CommandRunning())
        return false;
    DeviceDocument& doc = Document();
    if (!(undo ? doc.Undo() : doc.Redo()))
        return false;
    ShowDocumentAgain();
    return true;
}
