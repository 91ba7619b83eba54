// The six scheme components: their constructors, shapes, captions, colours, hints and
// operations, and the glyph pictures they carry.

#include "scheme/alarmcell.h"
#include "scheme/cellbutton.h"
#include "scheme/delaycell.h"
#include "scheme/glyphs.h"
#include "scheme/inputcell.h"
#include "scheme/relaycell.h"
#include "scheme/schemecolors.h"
#include "scheme/schemeline.h"

#include <QLabel>
#include <QTest>
#include <memory>

namespace {
QString U(const char* s) {
    return QString::fromUtf8(s);
}

// Whether an image has any visible pixel.
bool Painted(const QPixmap& p) {
    const QImage img = p.toImage();
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(img.pixel(x, y)) != 0)
                return true;
    return false;
}
} // namespace

class TestComponents : public QObject {
    Q_OBJECT
    QWidget owner_;

private slots:
    void inputPanelShapes_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("align");
        QTest::addColumn<bool>("border");
        QTest::addColumn<bool>("button");
        QTest::addColumn<int>("buttonLeft");
        QTest::newRow("tpInput") << int(tpInput) << QSize(120, 42) << int(Qt::AlignRight) << true
                                 << true << 8;
        QTest::newRow("tpId") << int(tpId) << QSize(90, 42) << int(Qt::AlignRight) << true << false
                              << 92;
        QTest::newRow("tpNB") << int(tpNB) << QSize(24, 25) << int(Qt::AlignHCenter) << false
                              << false << -1;
    }
    void inputPanelShapes() {
        QFETCH(int, type);
        QFETCH(QSize, size);
        QFETCH(int, align);
        QFETCH(bool, border);
        QFETCH(bool, button);
        QFETCH(int, buttonLeft);
        InputCell p(&owner_, 7, CellType(type));
        QCOMPARE(p.size(), size);
        QCOMPARE(p.Caption(), QString("7"));
        QCOMPARE(p.GetType(), CellType(type));
        QCOMPARE(int(p.Alignment()), align);
        QCOMPARE(p.SingleBorder(), border);
        QCOMPARE(p.BevelInner(), Bevel::Lowered);
        QCOMPARE(p.BevelOuter(), type == tpNB ? Bevel::None : Bevel::Raised);
        QCOMPARE(p.FontColor(), QColor(0, 0, 255));
        QVERIFY(p.font().bold());
        QCOMPARE(bool(p.Button()), buttonLeft >= 0);
        if (p.Button()) {
            QCOMPARE(!p.Button()->isHidden(), button);
            QCOMPARE(p.Button()->pos(), QPoint(buttonLeft, 8));
            QCOMPARE(p.Button()->toolTip(), U("Состояние входа - Нажато: НР"));
            QCOMPARE(p.Button()->GroupIndex(), 1);
            QVERIFY(p.Button()->AllowAllUp());
            QCOMPARE(p.Button()->Glyph().size(), QSize(64, 16));
            QCOMPARE(p.Button()->NumGlyphs(), 4);
        }
    }

    // Reshaping does not change the stored type; tpInput brings the button back at Left 8.
    void putTypePanel() {
        InputCell p(&owner_, 1, tpId);
        p.PutType(tpInput);
        QCOMPARE(p.size(), QSize(120, 41));
        QVERIFY(!p.Button()->isHidden());
        QCOMPARE(p.Button()->x(), 8);
        QCOMPARE(p.GetType(), tpId);
        p.PutType(tpNB);
        QCOMPARE(p.size(), QSize(24, 25));
        QVERIFY(p.Button()->isHidden());
        QCOMPARE(p.Button()->x(), 27);
        QCOMPARE(p.BevelOuter(), Bevel::None);
        p.SetType(tpId);
        QCOMPARE(p.GetType(), tpId);
        QCOMPARE(p.size(), QSize(90, 41));
        QCOMPARE(p.Button()->x(), 92);
        InputCell plain(&owner_);
        QCOMPARE(plain.GetType(), tpInput);
        QCOMPARE(plain.size(), QSize(120, 42));
        QVERIFY(plain.Caption().isEmpty());
    }

    // A click toggles the highlight and tells the panel's handler; the state button tells both.
    void inputPanelEvents() {
        InputCell p(&owner_, 3, tpInput);
        std::vector<std::pair<QString, QObject*>> fired;
        p.SetOnClick([&](QObject* s) { fired.push_back({"click", s}); });
        p.SetButtonClickHandler([&](QObject* s) { fired.push_back({"spb", s}); });
        p.Click();
        QCOMPARE(p.Color(), scheme::SkyBlue());
        p.Click();
        QCOMPARE(p.Color(), scheme::ButtonFace());
        p.SetColor(QColor(1, 2, 3));
        p.Click();
        QCOMPARE(p.Color(), scheme::SkyBlue());
        QCOMPARE(fired.size(), size_t(3));
        QCOMPARE(fired[0].second, static_cast<QObject*>(&p));
        fired.clear();
        QVERIFY(!p.ButtonDown());
        QTest::mouseClick(p.Button(), Qt::LeftButton);
        QVERIFY(p.ButtonDown());
        QCOMPARE(fired.size(), size_t(2));
        QCOMPARE(fired[0], std::make_pair(QString("spb"), static_cast<QObject*>(&p)));
        QCOMPARE(fired[1], std::make_pair(QString("click"), static_cast<QObject*>(p.Button())));
        QTest::mouseClick(p.Button(), Qt::LeftButton);
        QVERIFY(!p.ButtonDown()); // all up allowed
        p.SetButtonEnabled(false);
        QVERIFY(!p.ButtonEnabled());
        QCOMPARE(p.Button()->GlyphIndexShown(), 1);
        p.SetButtonEnabled(true);
        p.SetButtonDown(true);
        QCOMPARE(p.Button()->GlyphIndexShown(), 3);
    }

    void signallingPanel_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("color");
        QTest::newRow("0") << 0 << 0 << U("т сиг") << "" << scheme::WindowBackground();
        QTest::newRow("1") << 1 << 5 << U("пред") << "5" << QColor(255, 255, 0);
        QTest::newRow("2, number 0") << 2 << 0 << U("авар") << "" << QColor(255, 0, 0);
        QTest::newRow("3") << 3 << 12 << U("инд") << "12" << QColor(0, 255, 0);
    }
    void signallingPanel() {
        QFETCH(int, type);
        QFETCH(int, number);
        QFETCH(QString, caption);
        QFETCH(QString, text);
        QFETCH(QColor, color);
        AlarmCell p(&owner_, 4, number, type);
        QCOMPARE(p.size(), QSize(60, 42));
        QCOMPARE(p.Hint(), U("панель сигнализации"));
        QCOMPARE(int(p.Alignment()), int(Qt::AlignLeft));
        QCOMPARE(p.Caption(), caption);
        QCOMPARE(p.Text()->text(), text);
        QCOMPARE(p.Text()->geometry(), QRect(30, 10, 21, 17));
        QCOMPARE(StaticTextColor(p.Text()), color);
        p.PutTypeCaption(7); // unknown types keep the caption
        QCOMPARE(p.Caption(), caption);
        p.PutNumber(9, 0); // and the colour
        QCOMPARE(StaticTextColor(p.Text()), color);
    }

    void signallingColour() {
        AlarmCell p(&owner_);
        QCOMPARE(p.Caption(), U("т сиг"));
        QVERIFY(p.Text()->text().isEmpty());
        p.SetNumberColor(QColor(0, 255, 0));
        QCOMPARE(p.NumberColor(), QColor(0, 255, 0));
        p.PaintNumber(QColor(255, 0, 0));
        QCOMPARE(StaticTextColor(p.Text()), QColor(255, 0, 0));
        QCOMPARE(p.NumberColor(), QColor(0, 255, 0));
    }

    void delayPanel() {
        DelayCell plain(&owner_);
        QCOMPARE(plain.Text()->text(), QString("00"));
        DelayCell p(&owner_, 15, 1);
        QCOMPARE(p.size(), QSize(42, 42));
        QCOMPARE(p.Caption(), QString(" t"));
        QCOMPARE(p.Hint(), U("панель задержки"));
        QCOMPARE(p.Text()->text(), QString("15"));
        QCOMPARE(p.Text()->geometry(), QRect(12, 10, 21, 17));
        QCOMPARE(StaticTextColor(p.Text()), scheme::WindowBackground());
        p.PutTimeDelay(6, 7);
        QCOMPARE(p.Text()->text(), QString("42"));
    }

    void relayPanelCells() {
        RelayCell p(&owner_, 1);
        QCOMPARE(p.size(), QSize(200, 42));
        QCOMPARE(p.Caption(), U("МР"));
        QCOMPARE(p.Hint(), U("панель выходов"));
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(p.Cell(i)->geometry(), QRect(24 + 34 * i, 10, 32, 17));
            QCOMPARE(p.Cell(i)->toolTip(), "MP " + QString::number(i + 1));
            QCOMPARE(StaticTextColor(p.Cell(i)), QColor(192, 192, 192));
            QVERIFY(p.GetHint(i).isEmpty());
        }
        p.ClearRelays(1);
        QCOMPARE(p.GetHint(1), QString("MP 2: "));
        p.ShowRelays(1, 0x05); // relays 1 and 3
        QCOMPARE(p.Cell(1)->text(), QString("1,3,"));
        QCOMPARE(p.GetHint(1), QString("MP 2: 1,3,"));
        QCOMPARE(StaticTextColor(p.Cell(1)), scheme::TooltipBackground());
        p.ShowRelays(4, 0x81);
        QCOMPARE(p.Cell(4)->text(), QString("1,8,"));
        QCOMPARE(p.GetHint(4), QString("MP 51,8,"));
        // a zero mask only recolours
        p.ClearRelays(0);
        p.ShowRelays(0, 0);
        QCOMPARE(StaticTextColor(p.Cell(0)), scheme::TooltipBackground());
        QVERIFY(p.Cell(0)->text().isEmpty());
        QCOMPARE(p.GetHint(0), QString("MP 1: "));
        p.ClearRelays(4);
        QVERIFY(p.Cell(4)->text().isEmpty());
        QCOMPARE(StaticTextColor(p.Cell(4)), QColor(192, 192, 192));
        QCOMPARE(p.GetHint(5), QString());
        QCOMPARE(p.GetHint(-1), QString());
    }

    void line() {
        SchemeLine plain(&owner_);
        QCOMPARE(plain.size(), QSize(80, 3));
        QCOMPARE(plain.BrushColor(), QColor(128, 128, 0));
        QVERIFY(!plain.PenVisible());
        QCOMPARE(plain.GetTypeShape(), shNormal);
        SchemeLine row3(&owner_, 3);
        QCOMPARE(row3.y(), 3 * 54 - 27);
        row3.SetTypeShape(shZigzag2);
        QCOMPARE(row3.GetTypeShape(), shZigzag2);
        QCOMPARE(row3.size(), QSize(80, 3));
    }

    // The button is down after the click that put it down, when its handler runs.
    void twoStateButton() {
        CellButton enabled(&owner_);
        QVERIFY(enabled.isEnabled() && !enabled.Down() && !enabled.Clicked());
        CellButton frozen(&owner_, true);
        QVERIFY(!frozen.isEnabled());
        QVERIFY(frozen.Down());
        CellButton b(&owner_);
        b.SetGroupIndex(5);
        std::vector<bool> seen;
        b.SetOnClick([&](QObject* s) {
            QCOMPARE(s, static_cast<QObject*>(&b));
            seen.push_back(b.Down());
        });
        QTest::mouseClick(&b, Qt::LeftButton);
        QTest::mouseClick(&b, Qt::LeftButton);
        QCOMPARE(seen, (std::vector<bool>{true, false}));
        QVERIFY(b.Clicked());
        QCOMPARE(b.toolTip(), U("Состояние входа - Нажато: НР"));
    }

    // Buttons of one group and one parent are down one at a time unless all up is allowed.
    void groupsOfButtons() {
        QWidget parent;
        CellButton a(&parent), b(&parent), other(&parent);
        for (CellButton* x : {&a, &b})
            x->SetGroupIndex(3);
        other.SetGroupIndex(4);
        a.SetAllowAllUp(false);
        other.SetDown(true);
        QTest::mouseClick(&a, Qt::LeftButton);
        QVERIFY(a.Down());
        QTest::mouseClick(&a, Qt::LeftButton);
        QVERIFY(a.Down()); // the last of its group stays down
        QTest::mouseClick(&b, Qt::LeftButton);
        QVERIFY(b.Down() && !a.Down());
        QVERIFY(other.Down());
    }

    void glyphSizes() {
        for (const QPixmap& strip : {glyphs::ContactType(), glyphs::Inclusion(),
                                     glyphs::InputSignalType(), glyphs::OnOff()}) {
            QCOMPARE(strip.size(), QSize(64, 16));
            for (int i = 0; i < 4; ++i)
                QVERIFY(Painted(glyphs::StripImage(strip, i)));
            // up and down look different
            QVERIFY(glyphs::StripImage(strip, 0).toImage() !=
                    glyphs::StripImage(strip, 2).toImage());
        }
        QCOMPARE(glyphs::Arrow().size(), QSize(9, 9));
        QCOMPARE(glyphs::Sound().size(), QSize(14, 14));
        QCOMPARE(glyphs::Relay().size(), QSize(16, 24));
        for (const QPixmap& p : {glyphs::Arrow(), glyphs::Sound(), glyphs::Relay()}) {
            QVERIFY(Painted(p));
            QCOMPARE(qAlpha(p.toImage().pixel(p.width() - 1, 0)), 0); // transparent corner
        }
    }
};

QTEST_MAIN(TestComponents)
#include "tst_components.moc"
