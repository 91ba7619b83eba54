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

// The letter as the operator sees it, lower case: a Latin letter drawn like a Cyrillic one is
// that one, so that two items never show the same underlined letter.
QChar Letter(QChar c) {
    static const QString latin = QStringLiteral("aceopxykmhtb");
    static const QString cyrillic = QString::fromUtf8("асеорхукмнтв");
    c = c.toLower();
    const qsizetype at = latin.indexOf(c);
    return at >= 0 ? cyrillic[at] : c;
}

// A Latin letter typed by mistake in a Russian word ("Tип"): Alt with the Russian layout
// would not reach it.
bool LatinInCyrillicWord(const QString& text, qsizetype i) {
    if (text[i].script() != QChar::Script_Latin)
        return false;
    qsizetype from = i;
    while (from > 0 && text[from - 1].isLetter())
        --from;
    for (qsizetype k = from; k < text.size() && text[k].isLetter(); ++k)
        if (text[k].script() == QChar::Script_Cyrillic)
            return true;
    return false;
}

void Give(const QList<QAction*>& actions) {
    QString taken;
    for (const QAction* a : actions)
        if (const QChar c = MarkedLetter(a->text()); !c.isNull())
            taken += Letter(c);
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
            if (!c.isLetter() || (pass == 0 && !wordStart) || taken.contains(Letter(c)) ||
                LatinInCyrillicWord(text, i))
                continue;
            taken += Letter(c);
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
