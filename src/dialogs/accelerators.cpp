#include "dialogs/accelerators.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QString>

namespace {

// The letter after a single '&' (a doubled one is a literal ampersand), or a null char.
QChar MarkedLetter(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '&') {
            if (text[i + 1] != '&')
                return text[i + 1].toLower();
            ++i;
        }
    return {};
}

void Give(const QList<QAction*>& actions) {
    QString taken;
    for (const QAction* a : actions)
        if (const QChar c = MarkedLetter(a->text()); !c.isNull())
            taken += c;
    for (QAction* a : actions)
        if (!a->isSeparator() && !a->text().isEmpty())
            a->setText(WithAccelerator(a->text(), taken));
}

} // namespace

QString WithAccelerator(const QString& text, QString& taken) {
    if (!MarkedLetter(text).isNull() || text.contains('&'))
        return text;
    // First the words' first letters, then any letter.
    for (int pass = 0; pass < 2; ++pass)
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text[i];
            const bool wordStart = i == 0 || !text[i - 1].isLetterOrNumber();
            if (!c.isLetter() || (pass == 0 && !wordStart) || taken.contains(c.toLower()))
                continue;
            taken += c.toLower();
            return text.left(i) + '&' + text.mid(i);
        }
    return text;
}

void GiveAccelerators(QMenu* menu) {
    Give(menu->actions());
    for (QAction* a : menu->actions())
        if (a->menu())
            GiveAccelerators(a->menu());
}

void GiveAccelerators(QMenuBar* bar) {
    Give(bar->actions());
    for (QAction* a : bar->actions())
        if (a->menu())
            GiveAccelerators(a->menu());
}
