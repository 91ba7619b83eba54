#include "guisupport/guiharness.h"

#include "model/edithistory.h"

#include "app/startup.h"
#include "dialogs/commandrun.h"
#include "dialogs/lumdialog.h"
#include "platform/enginethread.h"

#include <QAbstractButton>
#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <stdexcept>

namespace {
// The device history of the writes goes to QStandardPaths::AppDataLocation, the program's
// settings (the last files) to its configuration folder: in tests folders of their own, never
// the home folder's, and empty at every start of a test program.
void UseTemporaryAppData() {
    static QTemporaryDir dir;
    static const bool set = qputenv("XDG_DATA_HOME", dir.path().toUtf8()) &&
                            qputenv("XDG_CONFIG_HOME", (dir.path() + "/config").toUtf8());
    (void)set;
}
} // namespace

QString GuiHarness::AppDataFolder() {
    UseTemporaryAppData();
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

GuiHarness::GuiHarness(Line line) {
    UseTemporaryAppData();
    std::unique_ptr<ExchangeEngine> port;
    if (line == Line::FakeDevice) {
        fake_ = std::make_unique<FakeLine>(clock_);
        fake_->SetResponder([this](const FakeLine::Bytes& request) {
            TakeTurn();
            // The device moves on in virtual time too: its busy polls are counted, not timed.
            return device_.Handle(request);
        });
        port = std::make_unique<ExchangeEngine>(*fake_, clock_);
        port->PortName = FakeLine::PortName;
    } else {
        server_ = std::make_unique<emu::PtyServer>(device_);
        std::string error;
        if (!server_->Start(&error))
            throw std::runtime_error("emulator: " + error);
        port = std::make_unique<ExchangeEngine>();
        port->PortName = server_->SlavePath();
        port->SetDelayTx(2);
    }
    session_ = std::make_unique<Session>(std::move(port), &op_);
    main_ = std::make_unique<MainWindow>(*session_);
    main_->SetModalHook([this](QDialog& d) { return RunModal(d); });
    main_->SetFileDialogHook([this](const FileDialogRequest& r) {
        fileRequests_.push_back(r);
        if (files_.empty())
            return QString();
        QString name = files_.front();
        files_.pop_front();
        return name;
    });
    if (::ApplyPortSettings(*main_) != 0)
        throw std::runtime_error("the test line did not open");
}

GuiHarness::~GuiHarness() {
    main_.reset();
    session_.reset();
    if (server_)
        server_->Stop();
}

void GuiHarness::DuringNextRequest(std::function<void()> fn) {
    std::lock_guard<std::mutex> lock(turnMutex_);
    turns_.push_back(std::move(fn));
}

void GuiHarness::TakeTurn() {
    std::function<void()> turn;
    {
        std::lock_guard<std::mutex> lock(turnMutex_);
        if (turns_.empty())
            return;
        turn = std::move(turns_.front());
        turns_.pop_front();
    }
    OnWindowsThread(turn);
}

void GuiHarness::OnWindowsThread(const std::function<void()>& fn) {
    main_->Exchanges().CallHere(fn);
}

void GuiHarness::GrantAccess(int level) {
    main_->Access().level = level;
}

void GuiHarness::ReadDevice() {
    main_->ReadDeviceClick();
}

void GuiHarness::SetFileMode(const QString& path) {
    main_->Document().SetOrigin(DocumentOrigin::File(path.toStdString()));
}

void GuiHarness::EditModule(int m) {
    DeviceDocument& doc = main_->Document();
    doc.Edit("Модуль " + std::to_string(m + 1) + ": правка теста",
             [&] { doc.program.PutDelay(6 * m, (doc.program.GetDelay(6 * m) + 1) % 61); });
}

void GuiHarness::ForgetEdits() {
    // As if written and saved: the device and the file hold what the document holds.
    DeviceDocument& doc = main_->Document();
    const DeviceImage now = doc.Image();
    for (int m = 0; m < DeviceImage::Groups; ++m)
        doc.DeviceHoldsModule(m, now.Group(m));
    doc.DeviceHoldsNetwork(now.Network());
    doc.Saved(doc.Origin().path);
}

void GuiHarness::OnModal(std::function<void(QDialog&)> fill) {
    modal_.push_back(std::move(fill));
}

void GuiHarness::OnFileDialog(const QString& name) {
    files_.push_back(name);
}

int GuiHarness::RunModal(QDialog& dialog) {
    modalTitles_ << dialog.windowTitle();
    dialog.setResult(0);
    dialog.show();
    QApplication::processEvents();
    if (!modal_.empty()) {
        auto fill = std::move(modal_.front());
        modal_.pop_front();
        fill(dialog);
    }
    if (dialog.isVisible())
        dialog.reject(); // the title bar's close box
    if (dialog.isVisible())
        dialog.hide(); // a close query that refused: the test gave up on this dialog
    return dialog.result();
}

void ClickMark(QAbstractButton* button) {
    if (!button)
        throw std::runtime_error("no such button");
    QTest::mouseClick(button, Qt::LeftButton, {},
                      QPoint(button->height() / 2, button->height() / 2));
}

void Click(QAbstractButton* button) {
    if (!button)
        throw std::runtime_error("no such button");
    button->click();
}
