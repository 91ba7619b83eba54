#include "dialogs/documentgate.h"

#include "dialogs/questions.h"
#include "dialogs/windowcontext.h"

bool MayDropDocument(WindowContext& context) {
    if (!context.Document().HasUnsavedWork())
        return true;
    switch (Questions::SaveToFile(context.Op(), true)) {
    case MsgButton::Yes:
        // A save that failed or was cancelled keeps the work.
        return context.SaveDocument();
    case MsgButton::No:
        return true;
    default:
        return false;
    }
}
