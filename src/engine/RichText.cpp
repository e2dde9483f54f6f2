// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "RichText.h"

#include "TextFile.h"

#include <QColor>
#include <QHash>
#include <QList>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>

#include <algorithm>
#include <type_traits>
#include <vector>

namespace {

// Deeper groups are read but their content is dropped; real texts nest a
// handful of levels, hostile ones a hundred thousand.
constexpr std::size_t kMaxDepth = 256;
constexpr int kMaxWordLength = 32;
constexpr qint64 kNumberLimit = 0x7FFFFFFF;
constexpr int kMaxUnicodeSkip = 64;
constexpr int kMaxHalfPoints = 3276; // 1638 pt, the largest size word processors offer
constexpr int kScreenDpi = 96;

enum class Destination { Text, Skip, FontTable, ColorTable, Footnote };

constexpr int kAnsiCodePage = 1252;
constexpr int kMacCodePage = 10000;
// Not a code page: the Symbol font's own mapping (Windows calls it CP_SYMBOL).
constexpr int kSymbolCodePage = 42;

struct State {
    Destination dest = Destination::Text;
    bool hidden = false;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int halfPoints = 0; // 0: not set, the viewer's font size applies
    int font = -1;
    int color = 0;
    int background = 0;
    Qt::Alignment align = Qt::AlignLeft;
    int unicodeSkip = 1;

    void resetCharacter()
    {
        hidden = bold = italic = underline = strike = false;
        halfPoints = 0;
        font = -1;
        color = background = 0;
    }
};

bool isSkippedDestination(QByteArrayView word)
{
    static const QByteArrayView words[] = {
        "annotation", "atnauthor", "atnid", "author", "bkmkend", "bkmkstart", "colorschememapping", "comment",
        "aftncn", "aftnsep", "aftnsepc", "datastore", "docvar", "doccomm", "fldinst", "filetbl", "footer",
        "footerf", "footerl", "footerr", "ftncn", "ftnsep", "ftnsepc", "generator", "header", "headerf",
        "headerl", "headerr", "info", "keywords", "latentstyles",
        "listoverridetable", "listtable", "mmathPr", "nonshppict", "object", "objdata", "operator", "pgdsctbl",
        "pict", "pn", "pnseclvl", "private", "revtbl", "rsidtbl", "shp", "shppict", "stylesheet", "subject",
        "tc", "themedata", "title", "txe", "userprops", "xe", "xmlnstbl",
    };
    return std::find(std::begin(words), std::end(words), word) != std::end(words);
}

char16_t specialCharacter(QByteArrayView word)
{
    struct Entry {
        QByteArrayView word;
        char16_t ch;
    };
    static const Entry entries[] = {
        { "bullet", 0x2022 }, { "emdash", 0x2014 }, { "emspace", 0x2003 }, { "endash", 0x2013 },
        { "enspace", 0x2002 }, { "ldblquote", 0x201C }, { "lquote", 0x2018 }, { "qmspace", 0x2005 },
        { "rdblquote", 0x201D }, { "rquote", 0x2019 }, { "zwj", 0x200D }, { "zwnj", 0x200C },
        { "tab", u'\t' }, { "cell", u'\t' }, { "line", QChar::LineSeparator },
    };
    for (const Entry &e : entries) {
        if (e.word == word)
            return e.ch;
    }
    return 0;
}

// The code page of a font's \fcharsetN; 0 for the document's own.
int charsetCodePage(int charset)
{
    switch (charset) {
    case 2: return kSymbolCodePage;
    case 77: return kMacCodePage;
    case 88: return 10029;
    case 89: return 10007;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 254: return 437;
    case 255: return 850;
    default: return 0;
    }
}

// The Symbol font's characters 0x20..0xFF; 0 where it has none.
char16_t symbolCharacter(unsigned char b)
{
    static const char16_t upper[] = {
        // 0xA0
        0x20AC, 0x03D2, 0x2032, 0x2264, 0x2044, 0x221E, 0x0192, 0x2663, 0x2666, 0x2665, 0x2660, 0x2194, 0x2190,
        0x2191, 0x2192, 0x2193,
        // 0xB0
        0x00B0, 0x00B1, 0x2033, 0x2265, 0x00D7, 0x221D, 0x2202, 0x2022, 0x00F7, 0x2260, 0x2261, 0x2248, 0x2026,
        0x23D0, 0x23AF, 0x21B5,
        // 0xC0
        0x2135, 0x2111, 0x211C, 0x2118, 0x2297, 0x2295, 0x2205, 0x2229, 0x222A, 0x2283, 0x2287, 0x2284, 0x2282,
        0x2286, 0x2208, 0x2209,
        // 0xD0
        0x2220, 0x2207, 0x00AE, 0x00A9, 0x2122, 0x220F, 0x221A, 0x22C5, 0x00AC, 0x2227, 0x2228, 0x21D4, 0x21D0,
        0x21D1, 0x21D2, 0x21D3,
        // 0xE0
        0x25CA, 0x2329, 0x00AE, 0x00A9, 0x2122, 0x2211, 0x239B, 0x239C, 0x239D, 0x23A1, 0x23A2, 0x23A3, 0x23A7,
        0x23A8, 0x23A9, 0x23AA,
        // 0xF0
        0, 0x232A, 0x222B, 0x2320, 0x23AE, 0x2321, 0x239E, 0x239F, 0x23A0, 0x23A4, 0x23A5, 0x23A6, 0x23AB,
        0x23AC, 0x23AD, 0,
    };
    // Greek letters in the places of the Latin ones, A..Z and a..z.
    static const char16_t greekUpper[] = u"ΑΒΧΔΕΦΓΗΙϑΚΛΜΝΟΠΘΡΣΤΥςΩΞΨΖ";
    static const char16_t greekLower[] = u"αβχδεφγηιϕκλμνοπθρστυϖωξψζ";
    if (b >= 0xA0)
        return upper[b - 0xA0];
    if (b >= 'A' && b <= 'Z')
        return greekUpper[b - 'A'];
    if (b >= 'a' && b <= 'z')
        return greekLower[b - 'a'];
    switch (b) {
    case 0x22: return 0x2200;
    case 0x24: return 0x2203;
    case 0x27: return 0x220B;
    case 0x2A: return 0x2217;
    case 0x2D: return 0x2212;
    case 0x40: return 0x2245;
    case 0x5C: return 0x2234;
    case 0x5E: return 0x22A5;
    case 0x60: return 0x203E;
    case 0x7E: return 0x223C;
    default: return b >= 0x20 && b < 0x7F ? char16_t(b) : 0;
    }
}

QString decodeCodePage(const QByteArray &bytes, int codePage)
{
    if (codePage == kSymbolCodePage) {
        QString text;
        text.reserve(bytes.size());
        for (const char b : bytes) {
            if (const char16_t c = symbolCharacter(static_cast<unsigned char>(b)))
                text += QChar(c);
        }
        return text;
    }
    if (codePage != kAnsiCodePage && codePage > 0) {
        QByteArray name;
        switch (codePage) {
        case 932: name = "windows-31j"; break;
        case 65001: name = "UTF-8"; break;
        case 20866: name = "KOI8-R"; break;
        case 437: case 850: case 852: case 855: case 857: case 860: case 861: case 862: case 863: case 864:
        case 865: case 866: case 869:
            name = "IBM" + QByteArray::number(codePage);
            break;
        default: name = "windows-" + QByteArray::number(codePage); break;
        }
        QStringDecoder decoder(name.constData());
        if (decoder.isValid())
            return decoder.decode(bytes);
    }
    return TextFile::decode(bytes); // Windows-1252, also for code pages this system cannot read
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Control characters and the document's own markers are no text.
bool hasText(char16_t c)
{
    return (c >= 0x20 || c == u'\t') && c != QChar::ObjectReplacementCharacter && c != 0xFDD0 && c != 0xFDD1;
}

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

class Reader {
public:
    Reader(const QByteArray &rtf, QTextDocument *doc)
        : FPos(rtf.constData())
        , FEnd(rtf.constData() + rtf.size())
        , FCursor(doc)
    {
    }

    void run()
    {
        // One edit block: the document lays itself out once, not per run.
        FCursor.beginEditBlock();
        while (FPos < FEnd && *FPos != '{')
            ++FPos;
        while (FPos < FEnd) {
            const char c = *FPos++;
            const bool atGroupStart = FGroupStart;
            FGroupStart = false;
            switch (c) {
            case '{':
                pushGroup();
                break;
            case '}':
                if (popGroup()) {
                    finish();
                    return;
                }
                break;
            case '\\':
                control(atGroupStart);
                break;
            case '\r':
            case '\n':
                // Writers wrap lines anywhere, also between "{" and "\*".
                FGroupStart = atGroupStart;
                break;
            case '\t':
                if (!consumeUnicodeSkip())
                    appendChar(u'\t');
                break;
            default:
                if (static_cast<unsigned char>(c) >= 0x20)
                    appendByte(c);
                break;
            }
        }
        finish(); // truncated: keep what was read
    }

private:
    bool skipping() const { return FOverflow > 0 || FState.dest == Destination::Skip; }

    void pushGroup()
    {
        FUnicodePending = 0;
        if (FOverflow > 0 || FStack.size() >= kMaxDepth) {
            ++FOverflow;
            return;
        }
        FStack.push_back(FState);
        FGroupStart = true;
    }

    // True when the outermost group closed, which ends the document.
    bool popGroup()
    {
        FUnicodePending = 0;
        if (FOverflow > 0) {
            --FOverflow;
            return false;
        }
        if (FState.dest == Destination::FontTable)
            storeFontName();
        decodePending(); // the bytes belong to this group's font and destination
        if (FStack.empty())
            return true;
        FState = FStack.back();
        FStack.pop_back();
        FFormatDirty = true;
        return FStack.empty();
    }

    void control(bool atGroupStart)
    {
        if (FPos >= FEnd)
            return;
        const char c = *FPos;
        if (!isLetter(c)) {
            ++FPos;
            symbol(c, atGroupStart);
            return;
        }
        char buffer[kMaxWordLength];
        int length = 0;
        while (FPos < FEnd && isLetter(*FPos)) {
            if (length < kMaxWordLength)
                buffer[length++] = *FPos;
            ++FPos;
        }
        bool hasParam = false;
        bool negative = false;
        qint64 value = 0;
        if (FPos < FEnd && *FPos == '-' && FPos + 1 < FEnd && isDigit(FPos[1])) {
            negative = true;
            ++FPos;
        }
        while (FPos < FEnd && isDigit(*FPos)) {
            hasParam = true;
            value = std::min(value * 10 + (*FPos - '0'), kNumberLimit);
            ++FPos;
        }
        if (FPos < FEnd && *FPos == ' ')
            ++FPos;
        const int param = int(negative ? -value : value);
        const QByteArrayView word(buffer, length);
        if (word == "bin") {
            // Raw bytes follow; they may hold anything, braces included.
            FPos += std::min<qint64>(std::max(param, 0), FEnd - FPos);
            return;
        }
        controlWord(word, hasParam, param);
    }

    void symbol(char c, bool atGroupStart)
    {
        switch (c) {
        case '*':
            if (atGroupStart)
                FState.dest = Destination::Skip;
            return;
        case '\'': {
            if (FEnd - FPos < 2)
                return;
            const int hi = hexValue(FPos[0]);
            const int lo = hexValue(FPos[1]);
            if (hi < 0 || lo < 0)
                return;
            FPos += 2;
            appendByte(char(hi * 16 + lo));
            return;
        }
        case '\\':
        case '{':
        case '}':
            appendByte(c);
            return;
        case '~':
            if (!consumeUnicodeSkip())
                appendChar(QChar::Nbsp);
            return;
        case '_':
            if (!consumeUnicodeSkip())
                appendChar(0x2011);
            return;
        case '-':
            if (!consumeUnicodeSkip())
                appendChar(QChar::SoftHyphen);
            return;
        case '\r':
        case '\n':
            if (!consumeUnicodeSkip())
                paragraph();
            return;
        default:
            consumeUnicodeSkip();
            return;
        }
    }

    void controlWord(QByteArrayView word, bool hasParam, int param)
    {
        if (word == "fonttbl") {
            FState.dest = Destination::FontTable;
            FFontNumber = -1;
            FFontName.clear();
            FFontNameText.clear();
            return;
        }
        if (word == "colortbl") {
            FState.dest = Destination::ColorTable;
            FRed = FGreen = FBlue = -1;
            return;
        }
        if (word == "footnote") {
            // Kept as a note at the end, unless it is inside something skipped.
            const bool inText = FStack.empty() || FStack.back().dest == Destination::Text;
            if (FOverflow == 0 && inText) {
                decodePending();
                FState.dest = Destination::Footnote;
                FNotes.append(QString());
            } else {
                FState.dest = Destination::Skip;
            }
            return;
        }
        if (isSkippedDestination(word)) {
            FState.dest = Destination::Skip;
            return;
        }
        if (skipping())
            return;
        if (FState.dest == Destination::FontTable) {
            if (word == "f") {
                storeFontName();
                FFontNumber = param;
            } else if (word == "fcharset") {
                FFontCharset = param;
            } else if (word == "cpg") {
                FFontCodePage = param;
            } else if (word == "u") {
                unicode(param);
            } else if (const char16_t ch = specialCharacter(word); ch && !consumeUnicodeSkip()) {
                appendChar(ch);
            }
            return;
        }
        if (FState.dest == Destination::ColorTable) {
            const int component = std::clamp(param, 0, 255);
            if (word == "red")
                FRed = component;
            else if (word == "green")
                FGreen = component;
            else if (word == "blue")
                FBlue = component;
            return;
        }
        if (consumeUnicodeSkip())
            return;

        const bool on = !hasParam || param != 0;
        if (word == "par" || word == "sect" || word == "page" || word == "row") {
            paragraph();
        } else if (word == "chftn") {
            // The footnote's number: the next one in the text, its own in the note.
            const qsizetype number = FNotes.size() + (FState.dest == Destination::Footnote ? 0 : 1);
            appendText(u'[' + QString::number(number) + u']');
        } else if (word == "ansicpg" || word == "mac" || word == "pc" || word == "pca") {
            decodePending();
            if (word == "ansicpg")
                FDocCodePage = param > 0 ? param : kAnsiCodePage;
            else
                FDocCodePage = word == "mac" ? kMacCodePage : word == "pc" ? 437 : 850;
        } else if (const char16_t ch = specialCharacter(word)) {
            appendChar(ch);
        } else if (word == "u") {
            unicode(param);
        } else if (word == "uc") {
            FState.unicodeSkip = std::clamp(param, 0, kMaxUnicodeSkip);
        } else if (word == "pard") {
            FState.align = Qt::AlignLeft;
        } else if (word == "ql") {
            FState.align = Qt::AlignLeft;
        } else if (word == "qc") {
            FState.align = Qt::AlignHCenter;
        } else if (word == "qr") {
            FState.align = Qt::AlignRight;
        } else if (word == "qj") {
            FState.align = Qt::AlignJustify;
        } else {
            characterWord(word, hasParam, param, on);
        }
    }

    void characterWord(QByteArrayView word, bool hasParam, int param, bool on)
    {
        State &s = FState;
        if (word == "plain" || word == "f" || word == "deff")
            decodePending(); // the bytes so far are in the old font's code page
        if (word == "plain")
            s.resetCharacter();
        else if (word == "v")
            s.hidden = on;
        else if (word == "b")
            s.bold = on;
        else if (word == "i")
            s.italic = on;
        else if (word == "ul" || word == "uld" || word == "uldb" || word == "uldash" || word == "ulth"
                 || word == "ulw" || word == "ulwave")
            s.underline = on;
        else if (word == "ulnone")
            s.underline = false;
        else if (word == "strike")
            s.strike = on;
        else if (word == "fs")
            s.halfPoints = hasParam ? std::clamp(param, 0, kMaxHalfPoints) : 24;
        else if (word == "f")
            s.font = std::max(param, 0);
        else if (word == "deff")
            FDefaultFont = std::max(param, 0);
        else if (word == "cf")
            s.color = std::max(param, 0);
        else if (word == "highlight" || word == "cb")
            s.background = std::max(param, 0);
        else
            return; // unknown words change nothing
        FFormatDirty = true;
    }

    // \ucN: the N characters after \uN are the fallback for older readers.
    bool consumeUnicodeSkip()
    {
        if (FUnicodePending <= 0)
            return false;
        --FUnicodePending;
        return true;
    }

    void unicode(int param)
    {
        qint64 code = param;
        if (code < 0)
            code += 0x10000;
        if (code >= 0xF020 && code <= 0xF0FF && currentCodePage() == kSymbolCodePage)
            code = symbolCharacter(static_cast<unsigned char>(code - 0xF000)); // the font's private-use copy
        if (code >= 0 && code <= 0xFFFF) {
            const char16_t c = char16_t(code);
            if (c == QChar::ParagraphSeparator)
                paragraph();
            else if (hasText(c))
                appendChar(c);
        } else if (code > 0xFFFF && code <= 0x10FFFF) {
            const char32_t full = char32_t(code);
            appendText(QString::fromUcs4(&full, 1));
        } else {
            appendChar(QChar::ReplacementCharacter);
        }
        FUnicodePending = FState.unicodeSkip;
    }

    void appendByte(char b)
    {
        if (skipping())
            return;
        switch (FState.dest) {
        case Destination::FontTable:
            if (b == ';')
                storeFontName();
            else if (!consumeUnicodeSkip())
                FFontName += b;
            return;
        case Destination::ColorTable:
            if (b == ';') {
                FColors << (FRed < 0 && FGreen < 0 && FBlue < 0
                                ? QColor()
                                : QColor(std::max(FRed, 0), std::max(FGreen, 0), std::max(FBlue, 0)));
                FRed = FGreen = FBlue = -1;
            }
            return;
        default:
            break;
        }
        if (consumeUnicodeSkip())
            return;
        if (FState.hidden || !hasText(char16_t(static_cast<unsigned char>(b))))
            return;
        if (FState.dest == Destination::Text)
            prepareText();
        FBytes += b;
    }

    void appendChar(char16_t c) { appendText(QString(QChar(c))); }

    void appendText(const QString &text)
    {
        // Escaped characters (\~, \uN) belong to a font's name as well.
        if (!skipping() && FState.dest == Destination::FontTable) {
            FFontNameText += decodeFontBytes() + text;
            return;
        }
        if (skipping() || FState.hidden)
            return;
        if (FState.dest == Destination::Footnote) {
            decodePending();
            FNotes.last() += text;
            return;
        }
        if (FState.dest != Destination::Text)
            return;
        prepareText();
        decodePending();
        FRun += text;
    }

    int currentCodePage() const
    {
        const int font = FState.font >= 0 ? FState.font : FDefaultFont;
        const int codePage = FFontCodePages.value(font, 0);
        return codePage > 0 ? codePage : FDocCodePage;
    }

    // Text bytes are collected and decoded together, since one character may
    // take two of them; this runs before the font or destination changes.
    void decodePending()
    {
        if (FBytes.isEmpty())
            return;
        const QString text = decodeCodePage(FBytes, currentCodePage());
        FBytes.clear();
        if (FState.dest == Destination::Footnote)
            FNotes.last() += text;
        else
            FRun += text;
    }

    // Called before any text is added: opens the pending paragraph and starts a
    // new run when the formatting changed.
    void prepareText()
    {
        if (FBlockPending) {
            FCursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
            FBlockPending = false;
        }
        if (FFormatDirty) {
            const QTextCharFormat format = currentFormat();
            if (format != FRunFormat) {
                flush();
                FRunFormat = format;
            }
            FFormatDirty = false;
        }
        FTextAlign = FState.align;
        FBlockHasText = true;
    }

    void flush()
    {
        decodePending();
        if (!FRun.isEmpty()) {
            FCursor.insertText(FRun, FRunFormat);
            FRun.clear();
        }
    }

    // A trailing \par opens no paragraph: the next paragraph is inserted only
    // when text follows, so "Zeile\par}" reads as one line.
    void paragraph()
    {
        if (!skipping() && FState.dest == Destination::Footnote) {
            decodePending();
            FNotes.last() += u' ';
            return;
        }
        if (skipping() || FState.dest != Destination::Text)
            return;
        if (FBlockPending)
            FCursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
        flush();
        setAlignment(FState.align);
        FBlockPending = true;
        FBlockHasText = false;
    }

    void setAlignment(Qt::Alignment align)
    {
        QTextBlockFormat format;
        format.setAlignment(align);
        FCursor.mergeBlockFormat(format);
    }

    void finish()
    {
        if (FState.dest == Destination::Footnote)
            decodePending(); // a truncated note
        flush();
        if (!FBlockPending && FBlockHasText)
            setAlignment(FTextAlign);
        appendNotes();
        FCursor.endEditBlock();
    }

    // Footnotes follow the text, below a short rule, one paragraph each.
    void appendNotes()
    {
        QStringList notes;
        for (const QString &note : std::as_const(FNotes)) {
            const QString text = note.simplified();
            if (!text.isEmpty())
                notes << text;
        }
        if (notes.isEmpty())
            return;
        notes.prepend(QStringLiteral("__________"));
        bool first = FCursor.document()->isEmpty();
        for (const QString &note : std::as_const(notes)) {
            if (!first)
                FCursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
            first = false;
            FCursor.insertText(note, QTextCharFormat());
        }
    }

    // The name's bytes so far, in the font's own code page.
    QString decodeFontBytes()
    {
        const int codePage = FFontCodePage > 0 ? FFontCodePage : charsetCodePage(FFontCharset);
        const QString text = decodeCodePage(FFontName, codePage == kSymbolCodePage ? FDocCodePage
                                                       : codePage > 0              ? codePage
                                                                                   : FDocCodePage);
        FFontName.clear();
        return text;
    }

    void storeFontName()
    {
        if (FFontNumber >= 0) {
            int codePage = FFontCodePage > 0 ? FFontCodePage : charsetCodePage(FFontCharset);
            const QString name = QString(FFontNameText + decodeFontBytes()).trimmed();
            // Only the Symbol font itself has the Symbol mapping; other symbol
            // fonts draw their own pictures in the places of letters.
            if (codePage == kSymbolCodePage && name.compare(QLatin1String("Symbol"), Qt::CaseInsensitive) != 0)
                codePage = 0;
            if (codePage > 0)
                FFontCodePages.insert(FFontNumber, codePage);
            if (!name.isEmpty())
                FFonts.insert(FFontNumber, name);
        }
        FFontName.clear();
        FFontNameText.clear();
        FFontNumber = -1;
        FFontCharset = 0;
        FFontCodePage = 0;
    }

    QTextCharFormat currentFormat() const
    {
        const State &s = FState;
        QTextCharFormat format;
        if (s.bold)
            format.setFontWeight(QFont::Bold);
        if (s.italic)
            format.setFontItalic(true);
        if (s.underline)
            format.setFontUnderline(true);
        if (s.strike)
            format.setFontStrikeOut(true);
        if (s.halfPoints > 0)
            format.setFontPointSize(s.halfPoints / 2.0);
        // Without \fN the document's \deffN font applies, without that the viewer's.
        const int fontNumber = s.font >= 0 ? s.font : FDefaultFont;
        if (fontNumber >= 0) {
            const auto font = FFonts.constFind(fontNumber);
            if (font != FFonts.constEnd())
                format.setFontFamilies({ *font });
        }
        if (s.color > 0 && s.color < FColors.size() && FColors.at(s.color).isValid())
            format.setForeground(FColors.at(s.color));
        if (s.background > 0 && s.background < FColors.size() && FColors.at(s.background).isValid())
            format.setBackground(FColors.at(s.background));
        return format;
    }

    const char *FPos;
    const char *FEnd;
    QTextCursor FCursor;
    State FState;
    std::vector<State> FStack;
    int FOverflow = 0;
    bool FGroupStart = false;
    int FUnicodePending = 0;

    QByteArray FBytes;
    QString FRun;
    QTextCharFormat FRunFormat;
    bool FFormatDirty = true;
    bool FBlockPending = false;
    bool FBlockHasText = false;
    Qt::Alignment FTextAlign = Qt::AlignLeft;

    QHash<int, QString> FFonts;
    QHash<int, int> FFontCodePages;
    int FDocCodePage = kAnsiCodePage;
    int FDefaultFont = -1;
    int FFontNumber = -1;
    int FFontCharset = 0;
    int FFontCodePage = 0;
    QByteArray FFontName;
    QString FFontNameText;
    QStringList FNotes;
    QList<QColor> FColors;
    int FRed = -1;
    int FGreen = -1;
    int FBlue = -1;
};

// --- writer ---

void appendNumber(QByteArray &out, QByteArrayView word, int value)
{
    out += '\\';
    out += word;
    out += QByteArray::number(value);
}

void appendEscaped(QByteArray &out, const QString &text)
{
    static const char hex[] = "0123456789abcdef";
    const QByteArray bytes = TextFile::encode(text); // one byte per UTF-16 unit
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        const auto b = static_cast<unsigned char>(bytes.at(i));
        if (c == u'\\' || c == u'{' || c == u'}') {
            out += '\\';
            out += char(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += char(c);
        } else if (c == u'\t') {
            out += "\\tab ";
        } else if (c == QChar::LineSeparator) {
            out += "\\line ";
        } else if (c == QChar::Nbsp) {
            out += "\\~";
        } else if (c < 0x20 || c == QChar::ObjectReplacementCharacter || c == QChar::ParagraphSeparator) {
            continue; // control characters and embedded objects have no text
        } else if (b != '?') {
            out += "\\'";
            out += hex[b >> 4];
            out += hex[b & 0xF];
        } else {
            appendNumber(out, "u", int(static_cast<qint16>(c)));
            out += '?';
        }
    }
}

int halfPointsOf(const QFont &font)
{
    if (font.pointSizeF() > 0)
        return qRound(font.pointSizeF() * 2);
    if (font.pixelSize() > 0)
        return qRound(font.pixelSize() * 72.0 * 2 / kScreenDpi);
    return 24;
}

class Writer {
public:
    explicit Writer(const QTextDocument *doc)
        : FDoc(doc)
    {
        const QFont font = doc->defaultFont();
        FFonts << font.family();
        FDefaultHalfPoints = halfPointsOf(font);
        FColors << QColor(); // index 0: automatic colour
    }

    QByteArray run()
    {
        QByteArray body;
        Qt::Alignment align = Qt::AlignLeft;
        for (QTextBlock block = FDoc->begin(); block.isValid(); block = block.next()) {
            const Qt::Alignment blockAlign = block.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
            const QByteArrayView alignWord = alignmentWord(blockAlign);
            if (alignmentWord(align) != alignWord) {
                body += "\\pard";
                if (!alignWord.isEmpty())
                    body += alignWord;
                body += ' ';
                align = blockAlign;
            }
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextFragment fragment = it.fragment();
                if (!fragment.isValid())
                    continue;
                const QByteArray words = formatWords(fragment.charFormat());
                if (words.isEmpty()) {
                    appendEscaped(body, fragment.text());
                } else {
                    body += '{';
                    body += words;
                    body += ' ';
                    appendEscaped(body, fragment.text());
                    body += '}';
                }
            }
            body += "\\par\r\n";
        }

        QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl";
        for (int i = 0; i < FFonts.size(); ++i) {
            out += "{\\f" + QByteArray::number(i) + "\\fnil\\fcharset0 ";
            appendEscaped(out, QString(FFonts.at(i)).remove(u';'));
            out += ";}";
        }
        out += "}\r\n";
        if (FColors.size() > 1) {
            out += "{\\colortbl ;";
            for (int i = 1; i < FColors.size(); ++i) {
                const QColor &c = FColors.at(i);
                appendNumber(out, "red", c.red());
                appendNumber(out, "green", c.green());
                appendNumber(out, "blue", c.blue());
                out += ';';
            }
            out += "}\r\n";
        }
        out += "\\viewkind4\\pard\\plain\\f0";
        appendNumber(out, "fs", FDefaultHalfPoints);
        out += ' ';
        out += body;
        out += "}\r\n";
        return out;
    }

private:
    static QByteArrayView alignmentWord(Qt::Alignment align)
    {
        if (align & Qt::AlignHCenter)
            return "\\qc";
        if (align & (Qt::AlignRight | Qt::AlignTrailing))
            return "\\qr";
        if (align & Qt::AlignJustify)
            return "\\qj";
        return {};
    }

    QByteArray formatWords(const QTextCharFormat &format)
    {
        QByteArray words;
        if (format.hasProperty(QTextFormat::FontWeight) && format.fontWeight() >= QFont::DemiBold)
            words += "\\b";
        if (format.fontItalic())
            words += "\\i";
        if (format.fontUnderline())
            words += "\\ul";
        if (format.fontStrikeOut())
            words += "\\strike";
        // Sizes and fonts equal to the defaults need no word of their own.
        int halfPoints = 0;
        if (format.hasProperty(QTextFormat::FontPointSize) && format.fontPointSize() > 0)
            halfPoints = qRound(format.fontPointSize() * 2);
        else if (format.hasProperty(QTextFormat::FontPixelSize) && format.intProperty(QTextFormat::FontPixelSize) > 0)
            halfPoints = qRound(format.intProperty(QTextFormat::FontPixelSize) * 72.0 * 2 / kScreenDpi);
        if (halfPoints > 0 && halfPoints != FDefaultHalfPoints)
            appendNumber(words, "fs", std::clamp(halfPoints, 1, kMaxHalfPoints));
        const QStringList families = format.fontFamilies().toStringList();
        if (!families.isEmpty() && !families.first().isEmpty() && families.first() != FFonts.first())
            appendNumber(words, "f", indexOf(FFonts, families.first()));
        if (format.hasProperty(QTextFormat::ForegroundBrush) && format.foreground().style() != Qt::NoBrush)
            appendNumber(words, "cf", indexOf(FColors, format.foreground().color()));
        if (format.hasProperty(QTextFormat::BackgroundBrush) && format.background().style() != Qt::NoBrush)
            appendNumber(words, "highlight", indexOf(FColors, format.background().color()));
        return words;
    }

    template<typename T>
    static int indexOf(QList<T> &list, const T &value)
    {
        qsizetype index = list.indexOf(value, std::is_same_v<T, QColor> ? 1 : 0);
        if (index < 0) {
            index = list.size();
            list << value;
        }
        return int(index);
    }

    const QTextDocument *FDoc;
    QStringList FFonts;
    QList<QColor> FColors;
    int FDefaultHalfPoints = 24;
};

} // namespace

namespace RichText {

bool looksLikeRtf(const QByteArray &bytes)
{
    QByteArrayView view(bytes);
    if (view.startsWith("\xEF\xBB\xBF"))
        view = view.sliced(3);
    while (!view.isEmpty() && (view.front() == ' ' || view.front() == '\t' || view.front() == '\r'
                               || view.front() == '\n'))
        view = view.sliced(1);
    return view.startsWith("{\\rtf");
}

bool read(const QByteArray &rtf, QTextDocument *doc)
{
    if (!looksLikeRtf(rtf))
        return false;
    const bool undo = doc->isUndoRedoEnabled();
    doc->setUndoRedoEnabled(false);
    doc->clear();
    {
        Reader reader(rtf, doc);
        reader.run();
    }
    doc->setUndoRedoEnabled(undo);
    return true;
}

void load(const QByteArray &bytes, QTextDocument *doc)
{
    if (read(bytes, doc))
        return;
    doc->setPlainText(TextFile::splitLines(TextFile::decodeFile(bytes)).join(u'\n'));
}

QByteArray write(const QTextDocument *doc)
{
    return Writer(doc).run();
}

} // namespace RichText
