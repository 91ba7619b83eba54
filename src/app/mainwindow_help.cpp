// "Справка": the operator's guide (F1, at the section of the window in use) and "О программе".

#include "app/guidewindow.h"
#include "app/mainwindow.h"

#include "dialogs/uitext.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>

namespace {
// F1 in any window of the program, a modal one too: the application sees the key first.
class GuideKey : public QObject {
public:
    GuideKey(MainWindow& main) : QObject(&main), main_(main) { qApp->installEventFilter(this); }
    ~GuideKey() override {
        if (qApp)
            qApp->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier)
            return false;
        event->accept();
        if (type == QEvent::KeyPress && !key->isAutoRepeat()) {
            // The window of the widget the key went to is the one in use.
            const auto* widget = qobject_cast<const QWidget*>(watched);
            const QWidget* window = widget ? widget->window() : QApplication::activeWindow();
            main_.GuideClick(GuideWindow::SectionFor(window));
        }
        return true;
    }

private:
    MainWindow& main_;
};
} // namespace

void MainWindow::CreateHelpMenu() {
    QMenu* help = menuBar()->addMenu(U("Справка"));
    guideAction = help->addAction(U("Руководство оператора"));
    // Shown in the menu; the key itself is taken by GuideKey in every window.
    guideAction->setShortcut(QKeySequence(Qt::Key_F1));
    guideAction->setShortcutContext(Qt::WidgetShortcut);
    connect(guideAction, &QAction::triggered, this, [this] { GuideClick(); });
    help->addSeparator();
    aboutAction = help->addAction(U("О программе"));
    connect(aboutAction, &QAction::triggered, this, [this] { AboutClick(); });
    new GuideKey(*this);
}

void MainWindow::GuideClick(const QString& section) {
    // A window of its own, like the bus monitor: usable beside the modal windows it explains.
    if (!guide_) {
        guide_ = new GuideWindow(nullptr);
        guide_->setAttribute(Qt::WA_DeleteOnClose);
    }
    guide_->ShowSection(section);
}

GuideWindow* MainWindow::Guide() const {
    return guide_;
}
