// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "RichText.h"

#include "TextFile.h"

#include <QColor>
#include <QHash>
#include <QList>
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

enum class Destination { Text, Skip, FontTable, ColorTable };

struct State {
    Destination dest = Destination::Text;
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
        bold = italic = underline = strike = false;
        halfPoints = 0;
        font = -1;
        color = background = 0;
    }
};

bool isSkippedDestination(QByteArrayView word)
{
    static const QByteArrayView words[] = {
        "annotation", "atnauthor", "atnid", "author", "bkmkend", "bkmkstart", "colorschememapping", "comment",
        "datastore", "docvar", "doccomm", "fldinst", "filetbl", "footer", "footerf", "footerl", "footerr",
        "footnote", "generator", "header", "headerf", "headerl", "headerr", "info", "keywords", "latentstyles",
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
                break;
            case '\t':
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
            return;
        }
        if (word == "colortbl") {
            FState.dest = Destination::ColorTable;
            FRed = FGreen = FBlue = -1;
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
        if (word == "plain")
            s.resetCharacter();
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
                FFontName += TextFile::decode(QByteArrayView(&b, 1));
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
        if (!hasText(char16_t(static_cast<unsigned char>(b))))
            return;
        prepareText();
        FBytes += b;
    }

    void appendChar(char16_t c) { appendText(QString(QChar(c))); }

    void appendText(const QString &text)
    {
        // Escaped characters (\~, \uN) belong to a font's name as well.
        if (!skipping() && FState.dest == Destination::FontTable)
            FFontName += text;
        if (skipping() || FState.dest != Destination::Text)
            return;
        prepareText();
        if (!FBytes.isEmpty()) {
            FRun += TextFile::decode(FBytes);
            FBytes.clear();
        }
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
        if (!FBytes.isEmpty()) {
            FRun += TextFile::decode(FBytes);
            FBytes.clear();
        }
        if (!FRun.isEmpty()) {
            FCursor.insertText(FRun, FRunFormat);
            FRun.clear();
        }
    }

    // A trailing \par opens no paragraph: the next paragraph is inserted only
    // when text follows, so "Zeile\par}" reads as one line.
    void paragraph()
    {
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
        flush();
        if (!FBlockPending && FBlockHasText)
            setAlignment(FTextAlign);
        FCursor.endEditBlock();
    }

    void storeFontName()
    {
        if (FFontNumber >= 0) {
            const QString name = FFontName.trimmed();
            if (!name.isEmpty())
                FFonts.insert(FFontNumber, name);
        }
        FFontName.clear();
        FFontNumber = -1;
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
    int FDefaultFont = -1;
    int FFontNumber = -1;
    QString FFontName;
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
