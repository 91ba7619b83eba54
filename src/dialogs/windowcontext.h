#pragma once
// What every window reaches through the one main window: the engine, the model objects, the
// operator and the modal-dialog hook. It names no window: windows are made when they open and
// go when they close, while this outlives them all. The main window implements it.

#include "model/devicedocument.h"
#include "model/operatoraccess.h"

#include <QString>

class QDialog;
class QWidget;
class Operator;
class ExchangeEngine;
class ModuleConfig;
class InputProgram;
class NetworkBlocks;
class LabelClipboard;
class EngineThread;

// A file dialog: open or save, its title, the name it starts with, its filter and default
// extension. The answer is the chosen name, or empty when the operator cancelled.
struct FileDialogRequest {
    bool save = false;
    QString title;
    QString fileName;      // a folder ending in '/': the dialog starts there with no name
    QString filter;        // Qt form: "Файлы типа .lum (*.lum);;Все файлы (*)"
    QString defaultSuffix; // without the dot
    // An open-style dialog that also takes a name no file has yet (creating a file).
    bool newName = false;
    // The window the dialog is modal to; none: the main window.
    QWidget* parent = nullptr;
};

// State the windows share that is no device data.
struct WindowSession {
    // The inputs table pasted labels: the scheme editor's F9 shows them instead of reading
    // the module again.
    bool labelsPasted = false;
    // "Проверять запись чтением" of "Настройка обмена": every write is read back (on at start).
    bool verifyWrites = true;
    // "Показывать изменения перед записью": every write shows its target and the changes
    // first (off at start).
    bool showChanges = false;
};

class WindowContext {
public:
    virtual ~WindowContext() = default;

    // The engine's settings and messages; its exchanges run as jobs on Exchanges().
    virtual ExchangeEngine& Engine() = 0;
    virtual EngineThread& Exchanges() = 0;
    // The one device document, and its views by name.
    virtual DeviceDocument& Document() = 0;
    // What the operator may do in this run.
    virtual OperatorAccess& Access() = 0;
    // What the windows share that is no device data.
    virtual WindowSession& Settings() = 0;
    ModuleConfig& Modules() { return Document().modules; }
    InputProgram& Program() { return Document().program; }
    NetworkBlocks& Network() { return Document().network; }
    virtual LabelClipboard& Clipboard() = 0;
    virtual Operator& Op() = 0;

    // Shows a dialog modally and returns its result; tests replace it to fill the dialog and
    // choose its result without a nested event loop.
    virtual int showModal(QDialog& dialog) = 0;

    // Asks for a file name; tests replace it like showModal. The working directory never
    // changes.
    virtual QString AskFileName(const FileDialogRequest& request) = 0;

    // What the main window shows, for windows that print or report it.
    virtual QString MainCaption() const = 0;      // the window title
    virtual QString ModificationText() const = 0; // the modification code field
    virtual int DeviceNumberShown() const = 0;    // the "Устр. №" selection, 1..31
    virtual QString CurFile() const = 0;          // the current configuration file name
    virtual QString FileModeText() const = 0;     // the file mode caption

    // The main window shows a new device number after the bus number changed.
    virtual void ShowDeviceNumber(int busNumber) = 0;
    // The main window's write command ("Вывод на СОМ-порт"), shared with other windows.
    virtual void WriteDevice() = 0;
    // "Сохранить как ...": the document into a file the operator names; false when nothing
    // was saved.
    virtual bool SaveDocument() = 0;
    // A line in the main window's status bar, for what a command did.
    virtual void ShowOutcome(const QString& text) = 0;
    // Ctrl+Z and Ctrl+Y of every window: the document's last step taken back or made again,
    // and the windows that show it shown again. Never during an exchange or while a dialog's
    // edit is open; false when nothing was done.
    bool UndoEdit() { return TakeStep(true); }
    bool RedoEdit() { return TakeStep(false); }
    // The open windows show the document again after an undo or a redo.
    virtual void ShowDocumentAgain() {}

    // Whether every write is read back and compared ("Проверять запись чтением").
    virtual bool VerifyWrites() const { return true; }

private:
    bool TakeStep(bool undo);
};
