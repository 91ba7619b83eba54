#pragma once
// The report file as a rich-text box saves plain paragraphs in one font: code page 1251, a font
// table with that one font, a paragraph per line, tabs kept. Word processors open it as is.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class RtfWriter {
public:
    explicit RtfWriter(const QString& fontName = QStringLiteral("MS Sans Serif"),
                       int pointSize = 8);

    // One paragraph per line; a line break inside the text starts a further paragraph, as it
    // does in a rich-text box.
    void AddLine(const QString& line);
    const QStringList& Paragraphs() const { return paragraphs_; }
    // A4 portrait inside these margins, with these lines heading every page and the page's
    // number ("стр. N из M", fields the word processor fills) at the first line's right.
    void SetPage(double marginMm, const QStringList& headerLines);
    // Tab stops of every paragraph, in twips from the left margin.
    void SetTabStops(const QList<int>& twips) { tabStops_ = twips; }

    // The whole file.
    QByteArray Rtf() const;

    // A piece of text in RTF: ASCII as is, other characters of the code page as \'xx, the rest
    // as \uN with a '?' for readers that do not know it; tabs, braces and backslashes escaped.
    static QByteArray EscapeText(const QString& text);

private:
    QByteArray PageSetup() const;

    QString fontName_;
    int halfPoints_;
    QStringList paragraphs_;
    int marginTwips_ = 0; // 0: the word processor's own page
    QStringList headerLines_;
    QList<int> tabStops_;
};
