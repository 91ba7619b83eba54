#pragma once
// The report file as a rich-text box saves plain paragraphs in one font: code page 1251, a font
// table with that one font, a paragraph per line, tabs kept. Word processors open it as is.

#include <QByteArray>
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

    // The whole file.
    QByteArray Rtf() const;

    // A piece of text in RTF: ASCII as is, other characters of the code page as \'xx, the rest
    // as \uN with a '?' for readers that do not know it; tabs, braces and backslashes escaped.
    static QByteArray EscapeText(const QString& text);

private:
    QString fontName_;
    int halfPoints_;
    QStringList paragraphs_;
};
