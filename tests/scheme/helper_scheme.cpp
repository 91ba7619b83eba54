#include "helper_scheme.h"

#include "dialogs/cp1251.h"

#include <QApplication>
#include <QTest>

namespace schemetest {

QString U(const char* s) {
    return QString::fromUtf8(s);
}

// Byte 0: bit 0 Namur, bit 1 normally open, bit 2 relay, bits 3..5 colour, bits 6..7 alarm type.
// Byte 1: bits 0..5 delay, bit 6 sound, bit 7 archiving. Byte 2 of the first input: module
// parameter.
const emu::Device::Records kMlvRecords = {
    0x70, 0x05, 0x03, // warning, yellow, delay 5; pump blocking on sensor 3
    0x24, 0x0F, 0x00, // red colour, no alarm, relay, delay 15
    0xA6, 0x4F, 0x00, // emergency, red, relay, normally open, sound, delay 15
    0x01, 0x80, 0x00, // Namur, archived
    0x08, 0x00, 0x00, // colour code 1, no alarm
    0x88, 0x00, 0x00, // emergency with colour code 1
};
const emu::Device::Records kMsuRecords = {
    0x20, 0x0F, 0x01, // delay 15 on a valve-open input; relay action 1
    0xA0, 0x40, 0x00, // emergency, red, sound
    0x21, 0x00, 0x00, // Namur on "АУ РАЗРЕШИТЬ"
    0x20, 0x0F, 0x00, // delay 15 on "КЛАПАН ОТКРЫТЬ"
    0x26, 0x80, 0x00, // relay, normally open, archived
    0xD0, 0x00, 0x00, // indication, lime
};
const emu::Device::Records kEmptyRecords = {
    0x20, 0, 0, 0x20, 0, 0, 0x20, 0, 0, 0x20, 0, 0, 0x20, 0, 0, 0x20, 0, 0,
};

void ReadDevice(GuiHarness& h) {
    emu::Device& d = h.Device();
    d.SetModules({{0, 1}, {3, 2}, {5, 1}});
    d.SetModuleRecords(1, kMlvRecords);
    d.SetModuleRecords(2, kMsuRecords);
    d.SetModuleRecords(3, kEmptyRecords);
    h.ReadDevice();
    for (int i = 0; i < 18; ++i)
        h.Main().Modules().PutLabel(ToCp1251(U("Вход ") + QString::number(i)), i);
    d.ClearRequestLog();
    h.Op().Clear();
}

int OpenEditor(GuiHarness& h, int m, const std::function<void(SchemeEditor&)>& look) {
    int result = -1;
    h.OnModal([&](QDialog& d) {
        auto& editor = static_cast<SchemeEditor&>(d);
        QApplication::processEvents();
        if (look)
            look(editor);
        if (editor.isVisible())
            editor.CloseWith(mr::Cancel);
        result = editor.result();
    });
    h.Main().OpenSchemeClick(m);
    return result;
}

bool Shown(const QWidget* w) {
    return w && !w->isHidden();
}

void DoubleClick(QWidget* w, QPoint at) {
    QTest::mouseClick(w, Qt::LeftButton, {}, at);
    QTest::mouseDClick(w, Qt::LeftButton, {}, at);
    QTest::mouseRelease(w, Qt::LeftButton, {}, at);
}

int Requests(GuiHarness& h, int function) {
    int n = 0;
    for (const auto& r : h.Device().RequestLog())
        if (r.function == function)
            ++n;
    return n;
}

} // namespace schemetest
