#include "dialogs/undokeys.h"

#include "dialogs/windowcontext.h"

#include <QKeySequence>
#include <QShortcut>
#include <QWidget>

void InstallUndoKeys(QWidget& window, WindowContext& context) {
    auto add = [&window](QKeySequence keys, auto run) {
        auto* shortcut = new QShortcut(keys, &window);
        shortcut->setContext(Qt::WindowShortcut);
        QObject::connect(shortcut, &QShortcut::activated, &window, run);
    };
    add(QKeySequence(Qt::CTRL | Qt::Key_Z), [&context] { context.UndoEdit(); });
    add(QKeySequence(Qt::CTRL | Qt::Key_Y), [&context] { context.RedoEdit(); });
    add(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), [&context] { context.RedoEdit(); });
}
