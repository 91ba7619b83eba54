#pragma once
// Ctrl+Z, Ctrl+Y and Ctrl+Shift+Z in a window that edits the document: the document's own
// undo and redo, whichever of its windows made the step. A text field keeps the keys for its
// own text while it has the focus.

class QWidget;
class WindowContext;

void InstallUndoKeys(QWidget& window, WindowContext& context);
