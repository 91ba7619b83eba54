#include "helper_inputstablesetup.h"

#include "model/configfile.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QTableWidget>
#include <QTest>
#include <array>
#include <stdexcept>

QString U8(const char* s) {
    return QString::fromUtf8(s);
}

QString OpenCreatedFile(GuiHarness& h, const QString& dir, int modules) {
    std::array<uint8_t, 17> config{};
    config[0] = uint8_t(modules);
    for (int m = 0; m < modules; ++m)
        config[1 + m] = 2;
    const std::vector<uint8_t> bytes = MakeCreatedConfigFile(config);
    const QString path = dir + QString("/conf%1.lum").arg(modules);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(reinterpret_cast<const char*>(bytes.data()),
                                                 qint64(bytes.size())) != qint64(bytes.size()))
        throw std::runtime_error("cannot write the test configuration");
    f.close();
    h.OnFileDialog(path);
    h.Main().OpenFileClick();
    return path;
}

void ReadDeviceWith(GuiHarness& h, int modules, int address) {
    std::vector<emu::ModuleSlot> fitted;
    for (int m = 0; m < modules; ++m)
        fitted.push_back({m, 2});
    if (!h.Device().SetModules(fitted) || !h.Device().SetAddress(address))
        throw std::runtime_error("the emulated device refused the set-up");
    h.Main().deviceNumberBox->setCurrentIndex(address - 1);
    h.Main().DeviceNumberChanged();
    h.ReadDevice();
}

namespace {
QPoint CellCentre(QTableWidget* grid, int r, int c) {
    const QModelIndex index = grid->model()->index(r - 1, c);
    grid->scrollTo(index);
    return grid->visualRect(index).center();
}
} // namespace

void DoubleClickCell(QTableWidget* grid, int r, int c) {
    // The operator's first click makes the cell current; a test's very first double click on
    // a fresh window is not seen as one without it.
    const QPoint at = CellCentre(grid, r, c);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
}

void RightClickCell(QTableWidget* grid, int r, int c) {
    const QPoint at = CellCentre(grid, r, c);
    QTest::mousePress(grid->viewport(), Qt::RightButton, {}, at);
    // The window system's context menu request that follows a right press; test mouse events
    // do not bring it.
    QContextMenuEvent menu(QContextMenuEvent::Mouse, at, grid->viewport()->mapToGlobal(at));
    QApplication::sendEvent(grid->viewport(), &menu);
    QTest::mouseRelease(grid->viewport(), Qt::RightButton, {}, at);
}
