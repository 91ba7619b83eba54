#pragma once
// What every window reaches through the one main window: the engine, the model objects, the
// operator, the modal-dialog hook and the other windows. The main window implements it; window
// tests use a small stand-in.

#include <QString>

class QDialog;
class Operator;
class TComPortClass;
class TServClass;
class TProgLumClass;
class TProgF15Class;
class TReservBlocksClass;
class TCopyBlocksClass;

class TFPSW;
class TConfig;
class TFormPrgD;
class TFormNastr;
class TFormPort;
class TFormSig;
class TFormText;
class TFormVh;
class TFormZa;
class TFormLNet;
class TInform;
class TFormTimeDate;
class TFormF15;

// A file dialog: open or save, its title, the name it starts with, its filter and default
// extension. The answer is the chosen name, or empty when the operator cancelled.
struct FileDialogRequest {
    bool save = false;
    QString title;
    QString fileName;
    QString filter;        // Qt form: "Файлы типа .lum (*.lum);;Все файлы (*)"
    QString defaultSuffix; // without the dot
    // An open-style dialog that also takes a name no file has yet (creating a file).
    bool newName = false;
};

// The windows created once at start-up, in this order after the main window.
struct LumWindows {
    TFPSW* FPSW = nullptr;
    TConfig* Config = nullptr;
    TFormPrgD* FormPrgD = nullptr;
    TFormNastr* FormNastr = nullptr;
    TFormPort* FormPort = nullptr;
    TFormSig* FormSig = nullptr;
    TFormText* FormText = nullptr;
    TFormVh* FormVh = nullptr;
    TFormZa* FormZa = nullptr;
    TFormLNet* FormLNet = nullptr;
    TInform* Inform = nullptr;
    TFormTimeDate* FormTimeDate = nullptr;
    TFormF15* FormF15 = nullptr;
};

class LumMain {
public:
    virtual ~LumMain() = default;

    virtual TComPortClass& ComPort() = 0;
    virtual TServClass& Serv() = 0;
    virtual TProgLumClass& ProgLum() = 0;
    virtual TProgF15Class& ProgF15() = 0;
    virtual TReservBlocksClass& Reserv() = 0;
    virtual TCopyBlocksClass& CopyBlocks() = 0;
    virtual Operator& Op() = 0;
    virtual LumWindows& Windows() = 0;

    // Shows a dialog modally and returns its result; tests replace it to fill the dialog and
    // choose its result without a nested event loop.
    virtual int showModal(QDialog& dialog) = 0;

    // Asks for a file name; tests replace it like showModal. The working directory never
    // changes.
    virtual QString AskFileName(const FileDialogRequest& request) = 0;

    // What the main window shows, for windows that print or report it.
    virtual QString MainCaption() const = 0;   // the window title
    virtual QString ModifText() const = 0;     // the modification code field
    virtual int DeviceNumberShown() const = 0; // the "Устр. №" selection, 1..31
    virtual QString CurFile() const = 0;       // the current configuration file name
    virtual QString FileModeText() const = 0;  // the file mode caption

    // Whether the scheme editor is on the screen (dialog edits then mark the scheme changed).
    virtual bool SchemeEditorShown() const = 0;
    // The main window shows a new device number after the bus number changed.
    virtual void ShowDeviceNumber(int numUstr) = 0;
    // The main window's write command ("Вывод на СОМ-порт"), shared with other windows.
    virtual void WriteDevice() = 0;
};
