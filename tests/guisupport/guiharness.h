#pragma once
// The program's main window for window tests: the real MainWindow, an engine
// on a scripted line (with an emulated device behind it, on a virtual clock) or on the device
// emulator over a real pseudo-terminal, a scripted operator, and queues that fill the modal
// dialogs and answer the file dialogs the commands show.

#include "app/mainwindow.h"
#include "dialogs/session.h"
#include "emu/device.h"
#include "emuserver/ptyserver.h"
#include "support/fakeline.h"
#include "support/scriptedoperator.h"
#include "support/virtualclock.h"

#include <QAbstractButton>
#include <QDialog>
#include <QStringList>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

class GuiHarness {
public:
    enum class Line {
        FakeDevice, // scripted line answered by an emulated device, virtual time
        Pty,        // the emulator on a pseudo-terminal, real time
    };

    explicit GuiHarness(Line line = Line::FakeDevice);
    ~GuiHarness();

    MainWindow& Main() { return *main_; }
    ScriptedOperator& Op() { return op_; }
    emu::Device& Device() { return device_; }
    // Only with Line::FakeDevice.
    FakeLine& Fake() { return *fake_; }
    VirtualClock& Clock() { return clock_; }
    // Only with Line::Pty: the line's timing (its speed, an adapter's latency).
    void SetPacing(const emu::Pacing& pacing) { server_->SetPacing(pacing); }

    // AppDataLocation of the window tests: a temporary folder (the device history goes there).
    static QString AppDataFolder();

    // While the command is under way: fn runs on the windows' thread at the next request the
    // scripted line takes, and the line waits for it (keys, clicks, looks at the windows).
    void DuringNextRequest(std::function<void()> fn);
    // From a responder of the scripted line (the engine's thread): fn on the windows' thread,
    // the line waiting. A responder set by a test calls TakeTurn for DuringNextRequest.
    void OnWindowsThread(const std::function<void()>& fn);
    void TakeTurn();

    // Full access, as after the built-in password.
    void GrantAccess(int level = 1);
    // Reads the emulated device into the main window (F9) and checks nothing.
    void ReadDevice();
    // Works with the configuration file `path` from now on, as after opening it.
    void SetFileMode(const QString& path = "edited.lum");
    // An edit of module m's program (0-based) that nobody holds yet, as the windows make one.
    void EditModule(int m = 0);
    // Whatever the document holds now counts as held by its device or file.
    void ForgetEdits();
    // What the operator would lose: work that neither the file nor the device holds.
    bool Changed() { return main_->Document().HasUnsavedWork(); }
    bool ModuleChanged(int m = 0) { return main_->Document().ModuleChanged(m); }

    // The next modal dialog is shown (not run modally), handed to fill, and then its result is
    // returned to the command; a dialog fill leaves open is closed with the title bar's result.
    // Without a queued fill the dialog is closed by its title bar at once.
    void OnModal(std::function<void(QDialog&)> fill);
    // The answer of the next file dialog (empty: cancelled).
    void OnFileDialog(const QString& name);
    // Titles of the modal dialogs shown, in order.
    const QStringList& ModalTitles() const { return modalTitles_; }
    const std::vector<FileDialogRequest>& FileRequests() const { return fileRequests_; }
    int PendingModal() const { return int(modal_.size()); }

private:
    int RunModal(QDialog& dialog);

    VirtualClock clock_;
    std::unique_ptr<FakeLine> fake_;
    emu::Device device_;
    std::unique_ptr<emu::PtyServer> server_;
    ScriptedOperator op_;
    std::unique_ptr<Session> session_;
    std::unique_ptr<MainWindow> main_;
    std::deque<std::function<void(QDialog&)>> modal_;
    std::mutex turnMutex_;
    std::deque<std::function<void()>> turns_;
    std::deque<QString> files_;
    QStringList modalTitles_;
    std::vector<FileDialogRequest> fileRequests_;
};

// A window's control by its object name (windows keep their controls to themselves); a name
// the window does not have stops the test.
template <class W> W* Part(const QObject& window, const QString& name) {
    W* w = window.findChild<W*>(name);
    if (!w)
        qFatal("%s has no control %s", window.metaObject()->className(), qPrintable(name));
    return w;
}

// Clicks a dialog's button as the operator would.
void Click(QAbstractButton* button);
// Clicks a radio button with the mouse on its round mark: the blank part of a button that its
// layout made wide takes no click.
void ClickMark(QAbstractButton* button);
