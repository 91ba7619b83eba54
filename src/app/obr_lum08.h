#pragma once
// The main window "Программатор ЛУМ - 08": owns the exchange engine and the model objects for
// the whole run, shows the selected device and its modules, and offers every command.

#include "dialogs/elidedlabel.h"
#include "dialogs/lummain.h"
#include "link/comportclass.h"
#include "model/operator.h"
#include "model/progf15class.h"
#include "model/proglumclass.h"
#include "model/reservblocks.h"
#include "model/servclass.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QToolBar;
class ExchangeInputGuard;
class ExchangeProgress;
struct WriteReport;
class TFormMonitor;

class TForm1 : public QMainWindow, public LumMain {
    Q_OBJECT
public:
    // Without arguments: the real serial line and message boxes. Tests hand in an engine on a
    // fake or pseudo-terminal line and a scripted operator.
    explicit TForm1(std::unique_ptr<TComPortClass> port = nullptr, Operator* op = nullptr);
    ~TForm1() override;

    // LumMain
    TComPortClass& ComPort() override { return *ComPort1; }
    TServClass& Serv() override { return *ServClass; }
    TProgLumClass& ProgLum() override { return *ProgLumClass; }
    TProgF15Class& ProgF15() override { return *ProgF15Class; }
    TReservBlocksClass& Reserv() override { return *ReservBlocks; }
    TCopyBlocksClass& CopyBlocks() override { return *CopyBlocksClass; }
    Operator& Op() override { return *op_; }
    LumWindows& Windows() override { return windows_; }
    int showModal(QDialog& dialog) override;
    QString MainCaption() const override;
    QString ModifText() const override;
    int DeviceNumberShown() const override;
    QString CurFile() const override { return curFile_; }
    QString FileModeText() const override;
    void ShowDeviceNumber(int numUstr) override;
    void WriteDevice() override { OutPortClick(); }
    ExchangeInputGuard* InputGuard() override { return inputGuard_; }

    // The toolkit's own file dialog instead of the platform's (tests type into it).
    void UseQtFileDialog(bool on) { useQtFileDialog_ = on; }
    // Tests fill and close dialogs here instead of running a nested event loop.
    void SetModalHook(std::function<int(QDialog&)> hook) { modalHook_ = std::move(hook); }
    void SetFileDialogHook(std::function<QString(const FileDialogRequest&)> hook) {
        fileHook_ = std::move(hook);
    }
    QString AskFileName(const FileDialogRequest& request) override;
    bool SchemeEditorShown() const override;

    // Commands.
    void FormShow();                 // the password prompt at the first showing
    void N1ParolClick();             // "Замена пароля"
    void APortExecute();             // "Настройка СОМ порта"
    void ANastrExecute();            // "Настройка обмена"
    void CBoxUstrClick();            // "Устр. №"
    void CBoxUstrZClick();           // "Изм. № устр."
    void InPortButClick();           // "Ввод с СОМ-порта"
    void OutPortClick();             // "Вывод на СОМ-порт"
    void OpenFileClick();            // "Открыть файл конфигурации"
    void SaveFileClick();            // "Сохранить как ..."
    void CreatFileClick();           // "Создание файла конфигурации"
    void ButProgDiskrClick(int row); // Prg1..Prg6, row 1..6
    void InformButClick();           // "Входные сигналы"
    void LocNetObmClick();           // "Настройка обмена" of the network group
    void LocNet15Click();            // "Программирование ф15 "
    void ButTimeDateClick();         // "Задание времени и даты"
    void AMonitorExecute();          // "Монитор обмена" (made at its first opening)
    TFormMonitor* Monitor() const { return FormMonitor.get(); }
    bool FormCloseQuery(); // closing the main window
    void AboutClick();     // "О программе"
    void VerifyClick();    // "Сверить с прибором"
    void HistoryClick();   // "История прибора"
    bool VerifyWrites() const override; // "Проверять запись чтением" of "Настройка обмена"

    // Controls, named as the commands and tests know them.
    QComboBox* CBoxUstr = nullptr;
    QComboBox* CBoxUstrZ = nullptr;
    QLabel* LabelNu = nullptr;
    QLabel* Label15 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* EditModif = nullptr;
    TElidedLabel* LabelFile = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QPushButton* ButStop = nullptr; // "Стоп" beside the progress bar
    QPushButton* ButTest = nullptr;
    QPushButton* ButTimeDate = nullptr;
    QLabel* StKVhD = nullptr;
    QLabel* StLUM = nullptr;
    QPushButton* InformBut = nullptr;
    QPushButton* LocNetObm = nullptr;
    QPushButton* LocNet15 = nullptr;
    QMenu* PopupTest = nullptr;
    QToolBar* ToolBar1 = nullptr;
    // The module table as row arrays; rows 6 and 7 exist but stay hidden and empty.
    std::array<QLabel*, 8> M{};
    std::array<QLabel*, 8> KM{};
    std::array<QLabel*, 8> IdVh{};
    std::array<QLabel*, 8> IdVyh{};
    std::array<QLabel*, 8> AdrM{};
    std::array<QPushButton*, 8> Prg{};

    QAction* AOutPort = nullptr;
    QAction* AInPort = nullptr;
    QAction* APort = nullptr;
    QAction* ANastr = nullptr;
    QAction* AParol = nullptr;
    QAction* AOpenFile = nullptr;
    QAction* ASaveFile = nullptr;
    QAction* ACreatFile = nullptr;
    QAction* AMonitor = nullptr;
    QAction* AAbout = nullptr;
    QAction* AVerify = nullptr;
    QAction* AHistory = nullptr;

    // Access to the current configuration file name (the file commands keep it).
    void SetCurFile(const QString& name) { curFile_ = name; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    QWidget* CreateDeviceRow();
    QGroupBox* CreateModuleTable();
    QGroupBox* CreateConfigGroup();
    QGroupBox* CreateNetworkGroup();
    void CreateTestMenu();
    void CreateVerifyActions(QMenu* file);
    void ApplyTestPreset(int preset);
    void ClearModuleTable();
    // The module table from the model; a file's modules all get their program button.
    void FillModuleTable(bool fromFile);
    void RefreshFromFile();
    void ResetForNewFile();
    // The chosen name with ".lum" added when it has no extension; empty after telling the
    // operator that the extension is wrong.
    QString WithLumExtension(const QString& name, const char* errorCaption);
    // Saves through the save dialog; false when cancelled or failed.
    bool SaveToFile();
    // Before a command replaces the configuration: unsaved file edits are saved, given up or
    // the command is not run (false).
    bool KeepFileEdits();
    void ShowFileCaption();
    // Loads a configuration file into the model (file mode); refused files change nothing.
    void OpenConfigFile(const QString& name);
    // Progress and result of a command that talks to the device.
    QWidget* CreateProgressRow();
    void BeginExchange(const QString& step);
    void ShowShare(int done, int total, const QString& step);
    void EndExchange();
    void ShowDone(const QString& what);
    static QString ModulesText(int count);
    // A whole-device write that failed after its checks: the engine's message and how far it got.
    void ReportWriteFailure(int code, const WriteReport& report);

    // Members in their order of construction (destroyed in reverse).
    std::unique_ptr<TComPortClass> ComPort1;
    std::unique_ptr<TServClass> ServClass;
    std::unique_ptr<TProgLumClass> ProgLumClass;
    std::unique_ptr<TProgF15Class> ProgF15Class;
    std::unique_ptr<TReservBlocksClass> ReservBlocks;
    std::unique_ptr<TCopyBlocksClass> CopyBlocksClass;

    std::unique_ptr<Operator> ownedOp_;
    Operator* op_ = nullptr;
    LumWindows windows_;
    std::function<int(QDialog&)> modalHook_;
    std::function<QString(const FileDialogRequest&)> fileHook_;
    QString curFile_;
    bool shownOnce_ = false;
    bool useQtFileDialog_ = false;
    ExchangeInputGuard* inputGuard_ = nullptr;
    ExchangeProgress* progress_ = nullptr;
    QElapsedTimer commandTimer_;
    // Last, so that it detaches from the engine before the engine goes.
    std::unique_ptr<TFormMonitor> FormMonitor;
};
