#include "app/guidewindow.h"

#include "dialogs/commandrun.h"
#include "dialogs/uitext.h"

#include <QHBoxLayout>
#include <QKeySequence>
#include <QShortcut>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {
// The guide's section of each window: F1 in a window opens it there.
struct WindowSection {
    const char* className;
    const char* section;
};
const WindowSection kSections[] = {
    {"MainWindow", "main"},
    {"PasswordDialog", "password"},
    {"PortDialog", "port"},
    {"ExchangeTimingDialog", "timing"},
    {"LineScanDialog", "scan"},
    {"ConfigurationDialog", "files"},
    {"SchemeEditor", "scheme"},
    {"SignallingDialog", "scheme-dialogs"},
    {"DelayDialog", "scheme-dialogs"},
    {"LabelDialog", "inputs"},
    {"InputGroupDialog", "inputs"},
    {"InputsTableWindow", "inputs"},
    {"NetworkWindow", "network"},
    {"F15BlockEditor", "f15"},
    {"ClockWindow", "clock"},
    {"HistoryWindow", "history"},
    {"DifferencesDialog", "write"},
    {"MonitorWindow", "monitor"},
    {"GuideWindow", ""},
};
} // namespace

GuideWindow::GuideWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(U("Руководство оператора"));
    setObjectName("guideWindow");
    // Reading the guide talks to no device: it stays usable while a command runs.
    KeepLiveDuringCommands(this);
    auto* v = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    auto tool = [this, bar](const QString& text, const QString& tip) {
        auto* b = new QToolButton(this);
        b->setText(text);
        b->setToolTip(tip);
        b->setAutoRaise(true);
        bar->addWidget(b);
        return b;
    };
    contentsButton = tool(U("Содержание"), U("К содержанию руководства"));
    backButton = tool(U("◀ Назад"), U("Назад (Alt+Стрелка влево)"));
    forwardButton = tool(U("Вперёд ▶"), U("Вперёд (Alt+Стрелка вправо)"));
    bar->addStretch();
    v->addLayout(bar);
    browser = new QTextBrowser(this);
    // Everything it shows is inside the program; an address outside it is not followed.
    browser->setOpenExternalLinks(false);
    browser->setOpenLinks(true);
    v->addWidget(browser, 1);
    connect(contentsButton, &QToolButton::clicked, this, [this] { ShowSection("contents"); });
    connect(backButton, &QToolButton::clicked, browser, &QTextBrowser::backward);
    connect(forwardButton, &QToolButton::clicked, browser, &QTextBrowser::forward);
    connect(browser, &QTextBrowser::backwardAvailable, backButton, &QToolButton::setEnabled);
    connect(browser, &QTextBrowser::forwardAvailable, forwardButton, &QToolButton::setEnabled);
    backButton->setEnabled(false);
    forwardButton->setEnabled(false);
    // Esc closes the guide, as it closes the program's other windows.
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
    resize(820, 640);
}

QString GuideWindow::Source() {
    return QStringLiteral("qrc:/guide/guide.html");
}

void GuideWindow::ShowSection(const QString& section) {
    QUrl url(Source());
    if (!section.isEmpty())
        url.setFragment(section);
    browser->setSource(url);
    if (!section.isEmpty())
        browser->scrollToAnchor(section);
    show();
    raise();
    activateWindow();
}

QString GuideWindow::SectionFor(const QWidget* window) {
    for (const QWidget* w = window; w; w = w->parentWidget()) {
        const QByteArray name = w->metaObject()->className();
        for (const WindowSection& s : kSections)
            if (name == s.className)
                return QString::fromLatin1(s.section);
    }
    return QString();
}
