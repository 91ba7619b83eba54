#include "report/rtfwriter.h"

#include "dialogs/cp1251.h"

namespace {

void AppendHexByte(QByteArray& out, unsigned char byte) {
    static const char digits[] = "0123456789abcdef";
    out.append("\\'");
    out.append(digits[byte >> 4]);
    out.append(digits[byte & 0x0F]);
}

void AppendChar(QByteArray& out, QChar c) {
    const char16_t u = c.unicode();
    switch (u) {
    case '\t':
        out.append("\\tab ");
        return;
    case '\\':
    case '{':
    case '}':
        out.append('\\');
        out.append(char(u));
        return;
    default:
        break;
    }
    if (u >= 0x20 && u < 0x80) {
        out.append(char(u));
        return;
    }
    if (u < 0x20) {
        AppendHexByte(out, static_cast<unsigned char>(u)); // a stray control byte stays visible
        return;
    }
    const std::string byte = ToCp1251(QString(c));
    if (FromCp1251(byte) == QString(c)) {
        AppendHexByte(out, static_cast<unsigned char>(byte[0]));
        return;
    }
    // Outside the code page (a file name may hold anything): Unicode with a fallback.
    out.append("\\u");
    out.append(QByteArray::number(int(int16_t(u))));
    out.append('?');
}

} // namespace

RtfWriter::RtfWriter(const QString& fontName, int pointSize)
    : fontName_(fontName), halfPoints_(pointSize * 2) {}

void RtfWriter::AddLine(const QString& line) {
    QString text = line;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace('\r', '\n');
    paragraphs_ += text.split('\n');
}

QByteArray RtfWriter::EscapeText(const QString& text) {
    QByteArray out;
    out.reserve(text.size() * 2);
    for (QChar c : text)
        AppendChar(out, c);
    return out;
}

void RtfWriter::SetPage(double marginMm, const QStringList& headerLines) {
    marginTwips_ = int(marginMm * 1440 / 25.4 + 0.5);
    headerLines_ = headerLines;
}

QByteArray RtfWriter::PageSetup() const {
    if (marginTwips_ == 0)
        return {};
    constexpr int paperWidth = 11906; // A4, in twips
    constexpr int paperHeight = 16838;
    const int lineTwips = 12 * 20; // a heading line of 9 points
    const int headerTop = marginTwips_;
    // The text starts below the heading, itself inside the margin.
    const int textTop = headerTop + int(headerLines_.size() + 1) * lineTwips;
    const int right = paperWidth - 2 * marginTwips_;
    QByteArray out;
    out.append("\\paperw" + QByteArray::number(paperWidth) + "\\paperh" +
               QByteArray::number(paperHeight) + "\\margl" + QByteArray::number(marginTwips_) +
               "\\margr" + QByteArray::number(marginTwips_) + "\\margt" +
               QByteArray::number(textTop) + "\\margb" + QByteArray::number(marginTwips_) +
               "\\headery" + QByteArray::number(headerTop) + "\r\n");
    out.append("{\\header\\pard\\plain\\f0\\fs18\\tqr\\tx" + QByteArray::number(right) + " ");
    for (qsizetype i = 0; i < headerLines_.size(); ++i) {
        out.append(EscapeText(headerLines_[i]));
        if (i == 0)
            out.append("\\tab " + EscapeText(QString::fromUtf8("стр. ")) +
                       "{\\field{\\*\\fldinst PAGE}{\\fldrslt 1}} " +
                       EscapeText(QString::fromUtf8("из ")) +
                       "{\\field{\\*\\fldinst NUMPAGES}{\\fldrslt 1}}");
        out.append("\\par\r\n");
    }
    out.append("\\brdrb\\brdrs\\brdrw10 \\par}\r\n");
    return out;
}

QByteArray RtfWriter::Rtf() const {
    QByteArray out("{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049{\\fonttbl{\\f0\\fswiss"
                   "\\fcharset204 ");
    out.append(EscapeText(fontName_));
    out.append(";}}\r\n");
    out.append(PageSetup());
    out.append("\\viewkind4\\uc1\\pard");
    for (int stop : tabStops_)
        out.append("\\tx" + QByteArray::number(stop));
    out.append("\\f0\\fs");
    out.append(QByteArray::number(halfPoints_));
    out.append(' ');
    for (const QString& p : paragraphs_) {
        out.append(EscapeText(p));
        out.append("\\par\r\n");
    }
    out.append("}\r\n");
    return out;
}
