#pragma once
// The main window "Программатор ЛУМ - 08": one window among others over the program's session
// (engine, document, access, operator), which main() owns. It shows the selected device and its
// modules and offers every command. Each window it opens is made for that opening and goes when
// it closes; while one is open the main window keeps a pointer to it, to show it the document
// again after an undo or a redo.

#include "dialogs/elidedlabel.h"
#include "dialogs/windowcontext.h"
#include "link/exchangeengine.h"
#include "model/devicedocument.h"
#include "model/operator.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QToolBar;
class EngineThread;
class Session;
class ExchangeProgress;
class MonitorWindow;
class GuideWindow;
class InputsTableWindow;
class NetworkWindow;
class SchemeEditor;
struct PortChoices;

class MainWindow : public QMainWindow, public WindowContext {
    Q_OBJECT
public:
    explicit MainWindow(Session& session);
    ~MainWindow() override;

    // WindowContext
    ExchangeEngine& Engine() override { return *engine_; }
    EngineThread& Exchanges() override { return *exchanges_; }
    DeviceDocument& Document() override { return *document_; }
    Session& ProgramSession() { return program_; }
    OperatorAccess& Access() override { return access_; }
    WindowSession& Settings() override { return session_; }
    LabelClipboard& Clipboard() override { return *labelClipboard_; }
    Operator& Op() override { return *op_; }
    int showModal(QDialog& dialog) override;
    QString MainCaption() const override;
    QString ModificationText() const override;
    int DeviceNumberShown() const override;
    QString CurFile() const override { return curFile_; }
    QString FileModeText() const override;
    void ShowDeviceNumber(int busNumber) override;
    void WriteDevice() override { WriteDeviceClick(); }
    bool SaveDocument() override { return SaveToFile(); }
    void ShowOutcome(const QString& text) override;

    // The toolkit's own file dialog instead of the platform's (tests type into it).
    void UseQtFileDialog(bool on) { useQtFileDialog_ = on; }
    // Tests fill and close dialogs here instead of running a nested event loop.
    void SetModalHook(std::function<int(QDialog&)> hook) { modalHook_ = std::move(hook); }
    void SetFileDialogHook(std::function<QString(const FileDialogRequest&)> hook) {
        fileHook_ = std::move(hook);
    }
    QString AskFileName(const FileDialogRequest& request) override;

    // Commands.
    void AskPassword();            // the password prompt at the first showing
    void ChangePasswordClick();    // "Замена пароля"
    void EnterPasswordClick();     // "Ввести пароль …": full access without a restart
    void PortSettingsClick();      // "Настройка СОМ порта"
    void ExchangeTimingClick();    // "Настройка обмена"
    void DeviceNumberChanged();    // "Устр. №"
    void NewNumberChanged();       // "Изм. № устр."
    void ReadDeviceClick();        // "Ввод с СОМ-порта"
    void WriteDeviceClick();       // "Вывод на СОМ-порт"
    void OpenFileClick();          // "Открыть файл конфигурации"
    void SaveFileClick();          // "Сохранить как ..."
    void CreateFileClick();        // "Создание файла конфигурации"
    void OpenSchemeClick(int row); // Prg1..Prg6, row 1..6
    void InputsTableClick();       // "Входные сигналы"
    void NetworkSettingsClick();   // "Настройка обмена" of the network group
    void F15BlocksClick();         // "Программирование ф15 "
    void ClockClick();             // "Задание времени и даты"
    void MonitorClick();           // "Монитор обмена" (made at its first opening)
    void LineScanClick();          // "Обзор линии"
    MonitorWindow* Monitor() const { return monitor_.get(); }
    bool CanCloseMainWindow(); // closing the main window
    void AboutClick();         // "О программе"
    void VerifyClick();        // "Сверить с прибором"
    void HistoryClick();       // "История прибора"
    bool VerifyWrites() const override; // "Проверять запись чтением" of "Настройка обмена"
    void ShowDocumentAgain() override;
    // "Правка" and the change mark follow the document's history and baseline.
    void ShowEditState();

    // Controls, named as the commands and tests know them.
    QComboBox* deviceNumberBox = nullptr;
    QComboBox* newNumberBox = nullptr;
    QLabel* deviceNumberLabel = nullptr;
    QLabel* newNumberLabel = nullptr;
    QLabel* modificationLabel = nullptr;
    QLineEdit* modificationEdit = nullptr;
    ElidedLabel* fileLabel = nullptr;
    QLabel* changedLabel = nullptr; // shown while the document differs from its device or file
    QProgressBar* progressBar = nullptr;
    QPushButton* stopButton = nullptr; // "Стоп" beside the progress bar
    QPushButton* testButton = nullptr;
    QPushButton* clockButton = nullptr;
    QLabel* inputCountLabel = nullptr;
    QLabel* designationLabel = nullptr;
    QPushButton* inputsTableButton = nullptr;
    QPushButton* networkSettingsButton = nullptr;
    QPushButton* f15BlocksButton = nullptr;
    QMenu* testMenu = nullptr;
    QToolBar* toolBar = nullptr;
    // The module table as row arrays; rows 6 and 7 exist but stay hidden and empty.
    std::array<QLabel*, 8> moduleTypeLabels{};
    std::array<QLabel*, 8> moduleCodeLabels{};
    std::array<QLabel*, 8> inputRangeLabels{};
    std::array<QLabel*, 8> outputLabels{};
    std::array<QLabel*, 8> moduleAddressLabels{};
    std::array<QPushButton*, 8> programButtons{};

    QAction* writeAction = nullptr;
    QAction* readAction = nullptr;
    QAction* portAction = nullptr;
    QAction* timingAction = nullptr;
    QAction* passwordAction = nullptr;
    QAction* enterPasswordAction = nullptr;
    QAction* openAction = nullptr;
    QAction* saveAction = nullptr;
    QAction* createAction = nullptr;
    QAction* monitorAction = nullptr;
    QAction* lineScanAction = nullptr;
    QAction* aboutAction = nullptr;
    QAction* verifyAction = nullptr;
    QAction* historyAction = nullptr;
    QAction* undoAction = nullptr;
    QAction* redoAction = nullptr;
    QAction* exitAction = nullptr;  // "Выход", Ctrl+Q
    QAction* guideAction = nullptr; // "Руководство оператора", F1

    // The last five configuration files opened or saved, newest first (the program's settings).
    static QStringList RecentFiles();
    static void RememberRecentFile(const QString& name);
    void OpenRecentFile(const QString& name);
    // A file named on the command line, opened as "Открыть файл" does once the password is in.
    void OpenAtStart(const QString& name) { startFile_ = name; }
    // "Справка" → "Руководство оператора", at the section of the window asking (empty: start).
    void GuideClick(const QString& section = QString());
    GuideWindow* Guide() const;

    // Takes the last run's port and line settings, and keeps this run's for the next one (the
    // program does; tests leave the user's settings alone).
    void RememberLineSettings();

    // Access to the current configuration file name (the file commands keep it).
    void SetCurFile(const QString& name) { curFile_ = name; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The status bar's permanent field (port, line settings, device, the last exchange's state)
    // and the bus monitor, made now so that it records from the program's start.
    void CreateLineViews();
    void CreateActions();
    void CreateMenus();
    QWidget* CreateDeviceRow();
    QGroupBox* CreateModuleTable();
    QGroupBox* CreateConfigGroup();
    QGroupBox* CreateNetworkGroup();
    void CreateTestMenu();
    void CreateVerifyActions(QMenu* file);
    void CreateRecentFiles(QMenu* file);
    void ShowRecentFiles();
    void CreateHelpMenu();
    void ApplyTestPreset(int preset, const QString& caption);
    void ClearModuleTable();
    // The module table from the model: the same rows for a device and for a file.
    void FillModuleTable();
    void RefreshFromFile();
    void ResetForNewFile();
    // The chosen name with ".lum" added when it has no extension; empty after telling the
    // operator that the extension is wrong.
    QString WithLumExtension(const QString& name, const char* errorCaption);
    // Saves through the save dialog; false when cancelled or failed.
    bool SaveToFile();
    // Whether the current file is a back-up of the device history: its data may be edited and
    // written to a device, but a save always asks for a new file outside the history.
    bool CurFileIsBackup() const;
    // A name in the history folder is no file to save or create: true after telling the
    // operator so.
    bool RefusesBackup(const QString& name, const char* errorCaption);
    void ShowFileCaption();
    // The password dialog until it takes an entry: the level that entry gives, or -1 when the
    // operator gave up after a wrong one.
    int PasswordLevel();
    // Loads a configuration file into the model (file mode); refused files change nothing. A
    // back-up of the device history names the device it was read from (1..31).
    void OpenConfigFile(const QString& name, int backupOfDevice = 0);
    // Progress and result of a command that talks to the device.
    QWidget* CreateProgressRow();
    void BeginExchange(const QString& step);
    void ShowShare(int done, int total, const QString& step);
    void EndExchange();
    void ShowDone(const QString& what);

    // Members in their order of construction (destroyed in reverse). The session's parts, by
    // the names the window's commands know them by.
    Session& program_;
    ExchangeEngine* engine_;
    EngineThread* exchanges_;
    DeviceDocument* document_;
    OperatorAccess& access_;
    WindowSession& session_;
    LabelClipboard* labelClipboard_;
    Operator* op_;
    // The built-in device it may hold is the engine's line: the port is closed before it goes.
    std::unique_ptr<PortChoices> portChoices_;
    // The windows open now (none when closed).
    QPointer<SchemeEditor> schemeEditor_;
    QPointer<InputsTableWindow> inputsTable_;
    QPointer<NetworkWindow> networkWindow_;
    QPointer<GuideWindow> guide_; // a window without a parent, closed with the main window
    // The status bar's connection field watches the engine: it goes before the engine does.
    QWidget* lineStateField_ = nullptr;
    // The scheme editor's caption after a save names the file; an editor opened on the file
    // later starts with it.
    QString schemeEditorCaption_;
    std::function<int(QDialog&)> modalHook_;
    std::function<QString(const FileDialogRequest&)> fileHook_;
    QString curFile_;
    bool shownOnce_ = false;
    bool useQtFileDialog_ = false;
    std::vector<QAction*> recentFileActions_;
    QAction* recentSeparator_ = nullptr;
    QString startFile_;
    ExchangeProgress* progress_ = nullptr;
    QElapsedTimer commandTimer_;
    // Last, so that it detaches from the engine before the engine goes.
    std::unique_ptr<MonitorWindow> monitor_;
};
