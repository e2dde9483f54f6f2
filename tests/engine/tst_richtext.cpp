// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "RichText.h"

#include <QRandomGenerator>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

QString alignName(Qt::Alignment align)
{
    if (align & Qt::AlignHCenter)
        return u"center"_s;
    if (align & Qt::AlignRight)
        return u"right"_s;
    if (align & Qt::AlignJustify)
        return u"justify"_s;
    return u"left"_s;
}

// A readable dump of text and effective formatting, one line per paragraph;
// base stands for what an unformatted fragment shows.
QString describe(const QTextDocument &doc, const QFont &base)
{
    QString out;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        out += u'[' + alignName(block.blockFormat().alignment()) + u']';
        QString previous;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat f = fragment.charFormat();
            const QStringList families = f.fontFamilies().toStringList();
            QString tag = u"{"_s;
            if (f.fontWeight() >= QFont::DemiBold)
                tag += u"b "_s;
            if (f.fontItalic())
                tag += u"i "_s;
            if (f.fontUnderline())
                tag += u"u "_s;
            if (f.fontStrikeOut())
                tag += u"s "_s;
            tag += QString::number(f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize() : base.pointSizeF());
            tag += u' ' + (families.isEmpty() ? base.family() : families.first());
            if (f.hasProperty(QTextFormat::ForegroundBrush))
                tag += u" fg"_s + f.foreground().color().name();
            if (f.hasProperty(QTextFormat::BackgroundBrush))
                tag += u" bg"_s + f.background().color().name();
            tag += u'}';
            if (tag != previous)
                out += tag;
            previous = tag;
            out += fragment.text();
        }
        out += u'\n';
    }
    return out;
}

QTextCharFormat formatOf(const QTextDocument &doc, const QString &text)
{
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().text().contains(text))
                return it.fragment().charFormat();
        }
    }
    return {};
}

QString readPlain(const QByteArray &rtf)
{
    QTextDocument doc;
    if (!RichText::read(rtf, &doc))
        return u"<not read>"_s;
    return doc.toPlainText();
}

} // namespace

class TestRichText : public QObject {
    Q_OBJECT

private slots:
    void looksLikeRtf_data();
    void looksLikeRtf();
    void readsText_data();
    void readsText();
    void readsFormatting_data();
    void readsFormatting();
    void readsAlignment();
    void fontTableEdgeCases();
    void nonRtfLoadsAsPlainText();
    void roundTripKeepsTextAndFormatting();
    void roundTripOfPlainTexts_data();
    void roundTripOfPlainTexts();
    void writesSevenBitRtf();
    void hostileInputs_data();
    void hostileInputs();
    void randomBytes();
};

void TestRichText::looksLikeRtf_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("rtf");
    QTest::newRow("rtf") << QByteArray("{\\rtf1\\ansi x}") << true;
    QTest::newRow("leading blank lines") << QByteArray("\r\n  {\\rtf1 x}") << true;
    QTest::newRow("utf-8 byte order mark") << QByteArray("\xEF\xBB\xBF{\\rtf1 x}") << true;
    QTest::newRow("protocol text") << QByteArray("Wahl wiederholt\r\n") << false;
    QTest::newRow("brace but no rtf") << QByteArray("{\\b fett}") << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("prefix only") << QByteArray("{\\rt") << false;
}

void TestRichText::looksLikeRtf()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, rtf);
    QCOMPARE(RichText::looksLikeRtf(bytes), rtf);
}

void TestRichText::readsText_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::newRow("paragraphs") << QByteArray("{\\rtf1\\ansi Erste Zeile\\par Zweite Zeile\\par}")
                                << u"Erste Zeile\nZweite Zeile"_s;
    QTest::newRow("trailing par opens no line") << QByteArray("{\\rtf1 Zeile\\par\r\n}") << u"Zeile"_s;
    QTest::newRow("empty paragraphs kept") << QByteArray("{\\rtf1 a\\par\\par b\\par}") << u"a\n\nb"_s;
    QTest::newRow("hex umlauts") << QByteArray("{\\rtf1\\ansi Gr\\'fc\\'dfe: \\'e4\\'f6\\'fc \\'C4\\'D6\\'DC}")
                                 << u"Grüße: äöü ÄÖÜ"_s;
    QTest::newRow("euro is 0x80") << QByteArray("{\\rtf1\\ansi\\ansicpg1252 5 \\'80}") << u"5 €"_s;
    QTest::newRow("raw 1252 bytes") << QByteArray("{\\rtf1 M\xfcller \x80}") << u"Müller €"_s;
    QTest::newRow("unicode with fallback") << QByteArray("{\\rtf1 \\u8364? und \\u8222?x\\u8220?}")
                                           << u"€ und „x“"_s;
    QTest::newRow("negative unicode, surrogate pair") << QByteArray("{\\rtf1 \\u-10179?\\u-8704?}")
                                                      << QString::fromUcs4(U"\U0001F600");
    QTest::newRow("uc0 has no fallback") << QByteArray("{\\rtf1\\uc0 A\\u228 B}") << u"AäB"_s;
    QTest::newRow("uc2 skips hex and text") << QByteArray("{\\rtf1\\uc2 \\u228\\'61bc}") << u"äc"_s;
    QTest::newRow("uc skip counts a control word") << QByteArray("{\\rtf1\\uc1 \\u228\\tab x}") << u"äx"_s;
    QTest::newRow("uc skip stops at group end") << QByteArray("{\\rtf1\\uc3 {\\u228 x}yz}") << u"äyz"_s;
    QTest::newRow("uc is scoped by groups") << QByteArray("{\\rtf1 {\\uc0 \\u228}\\u246 ?}") << u"äö"_s;
    QTest::newRow("unknown starred destination") << QByteArray("{\\rtf1 vor{\\*\\unbekannt geheim {x}}nach}")
                                                 << u"vornach"_s;
    QTest::newRow("unknown control words") << QByteArray("{\\rtf1\\viewkind4\\lang1031\\li-720\\foo12 x}")
                                           << u"x"_s;
    QTest::newRow("font and colour tables")
        << QByteArray("{\\rtf1{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\fmodern{\\*\\panose 02070309}"
                      "Courier New;}}{\\colortbl;\\red255\\green0\\blue0;}\\f0 Text}")
        << u"Text"_s;
    QTest::newRow("stylesheet, info, pict")
        << QByteArray("{\\rtf1{\\stylesheet{\\s0 Normal;}}{\\info{\\title Titel}{\\author Jemand}}"
                      "{\\pict\\wmetafile8 0a0b0c}sichtbar}")
        << u"sichtbar"_s;
    QTest::newRow("binary data with braces") << QByteArray("{\\rtf1 x{\\*\\blob\\bin3 }}{}y}") << u"xy"_s;
    QTest::newRow("field shows its result")
        << QByteArray("{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt Verweis}}}") << u"Verweis"_s;
    QTest::newRow("escaped specials") << QByteArray("{\\rtf1 a\\\\b \\{c\\}}") << u"a\\b {c}"_s;
    QTest::newRow("tab and line") << QByteArray("{\\rtf1 a\\tab b\\line c}") << u"a\tb\nc"_s;
    QTest::newRow("nested groups") << QByteArray("{\\rtf1 a{\\b b{\\i c}d}e}") << u"abcde"_s;
    QTest::newRow("delimiting space eaten") << QByteArray("{\\rtf1\\b fett\\b0  normal}") << u"fett normal"_s;
    QTest::newRow("line ends in the source ignored") << QByteArray("{\\rtf1 ab\r\ncd\ref}") << u"abcdef"_s;
    QTest::newRow("backslash line end is par") << QByteArray("{\\rtf1 a\\\r\nb}") << u"a\nb"_s;
    QTest::newRow("text after the document ignored") << QByteArray("{\\rtf1 innen} au\xdf" "en") << u"innen"_s;
    QTest::newRow("text before the document ignored") << QByteArray("\r\n{\\rtf1 innen}") << u"innen"_s;
    QTest::newRow("quotes and dashes") << QByteArray("{\\rtf1 \\ldblquote a\\rdblquote\\endash b}")
                                       << u"“a”–b"_s;
    QTest::newRow("control characters dropped") << QByteArray("{\\rtf1 a\\'00\\'07\\u1 ?\\u13 ?b}") << u"ab"_s;
    QTest::newRow("a literal TAB is the fallback of \\uN") << QByteArray("{\\rtf1 A\\u8804\t8804 B}")
                                                          << u"A≤8804 B"_s;

    // Bytes are read in the code page of their font, or of the document.
    QTest::newRow("Polish, ansicpg and fcharset")
        << QByteArray("{\\rtf1\\ansi\\ansicpg1250{\\fonttbl{\\f0\\fcharset238 Arial;}}\\f0 Prosz\\'ea si\\'ea\\par}")
        << u"Proszę się"_s;
    QTest::newRow("the font's charset, back at group end")
        << QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fcharset238 Arial CE;}}\\f0 gr\\'fc\\'df "
                      "{\\f1 Prosz\\'ea} gr\\'fc\\'df}")
        << u"grüß Proszę grüß"_s;
    QTest::newRow("Cyrillic by the default font")
        << QByteArray("{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fcharset204 Times New Roman;}}"
                      "\\'cf\\'f0\\'e8\\'e2\\'e5\\'f2}")
        << u"Привет"_s;
    QTest::newRow("Japanese, two bytes a character")
        << QByteArray("{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fnil\\fcharset128 \\'82\\'6c\\'82\\'72 "
                      "\\'96\\'be\\'92\\'a9;}}\\f0 \\'93\\'fa\\'96\\'7b\\'8c\\'ea}")
        << u"日本語"_s;
    QTest::newRow("Chinese") << QByteArray("{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fnil\\fcharset134 SimSun;}}"
                                           "\\f0 \\'d6\\'d0\\'ce\\'c4}")
                             << u"中文"_s;
    QTest::newRow("mac is Mac Roman") << QByteArray("{\\rtf1\\mac\\deff0{\\fonttbl{\\f0 Helvetica;}}\\f0 \\'8aa\\'9a}")
                                      << u"äaö"_s;
    QTest::newRow("Symbol font") << QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1\\ftech\\fcharset2 Symbol;}}"
                                               "\\f0 x {\\f1 \\'a3} 5, {\\f1 a}=1}")
                                 << u"x ≤ 5, α=1"_s;
    QTest::newRow("Symbol font's private-use copy")
        << QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}}{\\f1\\u-3913\\'b7} Punkt}")
        << u"• Punkt"_s;

    QTest::newRow("starred group after a line break")
        << QByteArray("{\\rtf1 a{\r\n\\*\\wgrffmtfilter 2450}b}") << u"ab"_s;
    QTest::newRow("hidden text") << QByteArray("{\\rtf1 a{\\v b}c\\v d\\v0 e\\v x\\plain f}") << u"acef"_s;
    QTest::newRow("footnote kept as a note at the end")
        << QByteArray("{\\rtf1 Text{\\super\\chftn}{\\footnote\\pard\\plain{\\super\\chftn} Die Quelle.} weiter.\\par}")
        << u"Text[1] weiter.\n__________\n[1] Die Quelle."_s;
    QTest::newRow("footnotes numbered in order")
        << QByteArray("{\\rtf1 A{\\chftn}{\\footnote{\\chftn} eins}B{\\chftn}{\\footnote{\\chftn} zwei\\par drei}}")
        << u"A[1]B[2]\n__________\n[1] eins\n[2] zwei drei"_s;
    QTest::newRow("footnote in a skipped group") << QByteArray("{\\rtf1 a{\\*\\unbekannt {\\footnote x}}b}") << u"ab"_s;
}

void TestRichText::readsText()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QCOMPARE(readPlain(rtf), text);
}

void TestRichText::readsFormatting_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("dump"); // bold italic underline strike size family fg bg

    // One sample, each row looks at one word of it.
    QTest::newRow("plain") << u"normal"_s << u"---- 10 Arial auto auto"_s;
    QTest::newRow("bold group") << u"fett"_s << u"b--- 10 Arial auto auto"_s;
    QTest::newRow("italic group") << u"kursiv"_s << u"-i-- 10 Arial auto auto"_s;
    QTest::newRow("underline group") << u"unter"_s << u"--u- 10 Arial auto auto"_s;
    QTest::newRow("strike group") << u"durch"_s << u"---s 10 Arial auto auto"_s;
    QTest::newRow("switched on outside a group") << u"auch"_s << u"b-u- 10 Arial auto auto"_s;
    QTest::newRow("switched off by 0 forms") << u"nicht"_s << u"---- 10 Arial auto auto"_s;
    QTest::newRow("font size in half points") << u"gross"_s << u"---- 16 Arial auto auto"_s;
    QTest::newRow("odd half points") << u"halb"_s << u"---- 10.5 Arial auto auto"_s;
    QTest::newRow("font from table") << u"mono"_s << u"---- 10 Courier New auto auto"_s;
    QTest::newRow("font name with umlaut") << u"umlaut"_s << u"---- 10 Schrift Ä auto auto"_s;
    QTest::newRow("colour") << u"rot"_s << u"---- 10 Arial #ff0000 auto"_s;
    QTest::newRow("highlight") << u"markiert"_s << u"---- 10 Arial auto #0000ff"_s;
    QTest::newRow("cb background") << u"hinterlegt"_s << u"---- 10 Arial auto #0000ff"_s;
    QTest::newRow("cf0 is automatic") << u"automatisch"_s << u"---- 10 Arial auto auto"_s;
    QTest::newRow("colour index out of range") << u"jenseits"_s << u"---- 10 Arial auto auto"_s;
    QTest::newRow("plain resets character format") << u"zurueck"_s << u"---- 12 Arial auto auto"_s;
}

void TestRichText::readsFormatting()
{
    QFETCH(QString, word);
    QFETCH(QString, dump);
    const QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fmodern Courier New;}"
                           "{\\f2 Schrift \\'c4;}}"
                           "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\r\n"
                           "\\pard\\plain\\f0\\fs20 normal {\\b fett} {\\i kursiv} {\\ul unter} {\\strike durch} "
                           "\\ul\\b auch\\ulnone\\b0  nicht {\\fs32 gross} {\\fs21 halb} {\\f1 mono} {\\f2 umlaut} "
                           "{\\cf1 rot} {\\highlight2 markiert} {\\cb2 hinterlegt} {\\cf1\\cf0 automatisch} "
                           "{\\cf9 jenseits}\\par\r\n"
                           "{\\b\\cf1 x\\plain\\f0 zurueck}\\par}";
    QTextDocument doc;
    QVERIFY(RichText::read(rtf, &doc));
    const QTextCharFormat f = formatOf(doc, word);
    QVERIFY2(f.isValid(), qPrintable(doc.toPlainText()));
    const QString actual = QString(f.fontWeight() >= QFont::Bold ? u'b' : u'-') + (f.fontItalic() ? u'i' : u'-')
        + (f.fontUnderline() ? u'u' : u'-') + (f.fontStrikeOut() ? u's' : u'-') + u' '
        + (f.hasProperty(QTextFormat::FontPointSize) ? QString::number(f.fontPointSize()) : u"12"_s) + u' '
        + f.fontFamilies().toStringList().value(0) + u' '
        + (f.hasProperty(QTextFormat::ForegroundBrush) ? f.foreground().color().name() : u"auto"_s) + u' '
        + (f.hasProperty(QTextFormat::BackgroundBrush) ? f.background().color().name() : u"auto"_s);
    QCOMPARE(actual, dump);
}

void TestRichText::readsAlignment()
{
    QTextDocument doc;
    QVERIFY(RichText::read("{\\rtf1\\pard links\\par\\qc mitte\\par rechts{\\qr }\\qr\\par\\pard\\qj block\\par"
                           "\\pard wieder links\\par\\qr ohne par}",
                           &doc));
    QStringList aligns;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        aligns << b.text() + u':' + alignName(b.blockFormat().alignment());
    QCOMPARE(aligns, QStringList({ u"links:left"_s, u"mitte:center"_s, u"rechts:right"_s, u"block:justify"_s,
                                   u"wieder links:left"_s, u"ohne par:right"_s }));
}

void TestRichText::fontTableEdgeCases()
{
    QTextDocument doc;
    QVERIFY(RichText::read("{\\rtf1{\\fonttbl{\\f3 Arial}}\\f3 text}", &doc));
    QCOMPARE(formatOf(doc, u"text"_s).fontFamilies().toStringList(), QStringList(u"Arial"_s));

    // \deffN names the font of text without \fN.
    QVERIFY(RichText::read("{\\rtf1\\deff1{\\fonttbl\\f0\\froman Times;\\f1\\fswiss Arial;}ohne {\\f0 mit}}", &doc));
    QCOMPARE(formatOf(doc, u"ohne"_s).fontFamilies().toStringList(), QStringList(u"Arial"_s));
    QCOMPARE(formatOf(doc, u"mit"_s).fontFamilies().toStringList(), QStringList(u"Times"_s));

    // A font name in the font's own code page.
    QVERIFY(RichText::read("{\\rtf1{\\fonttbl{\\f0\\fnil\\fcharset128 \\'82\\'6c\\'82\\'72 \\'96\\'be\\'92\\'a9;}}"
                           "\\f0 text}",
                           &doc));
    QCOMPARE(formatOf(doc, u"text"_s).fontFamilies().toStringList(), QStringList(u"ＭＳ 明朝"_s));

    // Escaped characters are part of a font's name, as the writer writes them.
    QVERIFY(RichText::read("{\\rtf1{\\fonttbl{\\f0 Courier\\~New\\tab \\u8364?;}}\\f0 fest}", &doc));
    QCOMPARE(formatOf(doc, u"fest"_s).fontFamilies().toStringList(), QStringList(u"Courier\u00a0New\t\u20ac"_s));
    QTextDocument again;
    QVERIFY(RichText::read(RichText::write(&doc), &again));
    QCOMPARE(formatOf(again, u"fest"_s).fontFamilies().toStringList(), QStringList(u"Courier\u00a0New\t\u20ac"_s));

    // Without either, the viewer's font applies.
    QVERIFY(RichText::read("{\\rtf1 frei}", &doc));
    QVERIFY(!formatOf(doc, u"frei"_s).hasProperty(QTextFormat::FontFamilies));
}

void TestRichText::nonRtfLoadsAsPlainText()
{
    QTextDocument doc;
    QVERIFY(!RichText::read("Wahl wiederholt", &doc));
    QVERIFY(doc.isEmpty()); // read leaves a document alone that it cannot read

    RichText::load("Gr\xfc\xdf" "e\r\n5 \x80\r\n\r\nEnde\r\n", &doc);
    QCOMPARE(doc.toPlainText(), u"Grüße\n5 €\n\nEnde"_s);
}

void TestRichText::roundTripKeepsTextAndFormatting()
{
    QTextDocument doc;
    const QFont base(u"Courier New"_s, 10);
    doc.setDefaultFont(base);
    QTextCursor c(&doc);
    c.insertText(u"Grüße, 5 € – „Zitat“ \\ {} "_s);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    c.insertText(u"fett"_s, bold);
    QTextCharFormat mixed;
    mixed.setFontItalic(true);
    mixed.setFontUnderline(true);
    mixed.setFontPointSize(14);
    mixed.setForeground(QColor(200, 0, 0));
    c.insertText(u" kursiv unterstrichen groß rot"_s, mixed);
    QTextCharFormat other;
    other.setFontFamilies({ u"Arial"_s });
    other.setFontStrikeOut(true);
    other.setBackground(QColor(255, 255, 0));
    other.setForeground(QColor(200, 0, 0));
    c.insertText(u" Arial\tTab"_s, other);
    c.insertText(QString(QChar::LineSeparator) + u"neue Zeile ÄÖÜäöüß \u0160\u20AC \u03A9 😀"_s, QTextCharFormat());
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    c.insertBlock(centred);
    c.insertText(u"mittig {"_s, bold);
    QTextBlockFormat right;
    right.setAlignment(Qt::AlignRight);
    c.insertBlock(right);
    c.insertBlock(QTextBlockFormat());
    c.insertText(u"nach Leerzeile"_s);
    c.insertBlock(); // trailing empty paragraph

    const QByteArray rtf = RichText::write(&doc);
    QTextDocument back;
    back.setDefaultFont(base);
    QVERIFY(RichText::read(rtf, &back));
    QCOMPARE(back.toPlainText(), doc.toPlainText());
    QCOMPARE(describe(back, base), describe(doc, base));

    // Writing what was read changes nothing more.
    QCOMPARE(RichText::write(&back), rtf);
}

void TestRichText::roundTripOfPlainTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("one line") << u"Noch kein Protokoll erstellt!"_s;
    QTest::newRow("empty middle line") << u"a\n\nb"_s;
    QTest::newRow("trailing line end") << u"Zeile\n"_s;
    QTest::newRow("only line ends") << u"\n\n"_s;
    QTest::newRow("rtf syntax as text") << u"{\\rtf1 \\par} \\'e4 \\u8364?"_s;
    QTest::newRow("blanks at ends") << u"  eingerückt \n\t Tab "_s;
    QTest::newRow("protocol hint") << u"Öffnen Sie \"VV Mehr...\" und erhöhen Sie den Wert von \"Timeout\""_s;
}

void TestRichText::roundTripOfPlainTexts()
{
    QFETCH(QString, text);
    QTextDocument doc;
    doc.setPlainText(text);
    QTextDocument back;
    QVERIFY(RichText::read(RichText::write(&doc), &back));
    QCOMPARE(back.toPlainText(), text);
    QCOMPARE(back.blockCount(), doc.blockCount());
}

void TestRichText::writesSevenBitRtf()
{
    QTextDocument doc;
    doc.setPlainText(u"5 € für Müller \u0416"_s);
    const QByteArray rtf = RichText::write(&doc);
    QVERIFY(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252"));
    QVERIFY(rtf.endsWith("}\r\n"));
    for (const char b : rtf)
        QVERIFY2((b >= 0x20 && b < 0x7F) || b == '\r' || b == '\n', qPrintable(QString::number(uchar(b))));
    QVERIFY(rtf.contains("5 \\'80 f\\'fcr M\\'fcller \\u1046?"));
}

void TestRichText::hostileInputs_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");

    const QByteArray deep = QByteArray(100000, '{');
    QTest::newRow("unclosed groups") << QByteArray("{\\rtf1 {\\b offen {\\i tiefer") << u"offen tiefer"_s;
    QTest::newRow("surplus closing braces") << QByteArray("{\\rtf1 a}}}}} b") << u"a"_s;
    QTest::newRow("truncated after backslash") << QByteArray("{\\rtf1 a\\") << u"a"_s;
    QTest::newRow("truncated hex") << QByteArray("{\\rtf1 a\\'e") << u"ae"_s;
    QTest::newRow("bad hex") << QByteArray("{\\rtf1 a\\'zzb}") << u"azzb"_s;
    QTest::newRow("truncated control word") << QByteArray("{\\rtf1 a\\fs") << u"a"_s;
    QTest::newRow("100k nested groups, balanced")
        << QByteArray("{\\rtf1 vorn" + deep + "tief" + QByteArray(100000, '}') + "hinten}") << u"vornhinten"_s;
    QTest::newRow("100k nested groups, unclosed") << QByteArray("{\\rtf1 vorn" + deep) << u"vorn"_s;
    QTest::newRow("100k closing braces") << QByteArray("{\\rtf1 a" + QByteArray(100000, '}')) << u"a"_s;
    QTest::newRow("huge unicode") << QByteArray("{\\rtf1 x\\u99999999999 ?y}") << u"x\uFFFDy"_s;
    QTest::newRow("huge negative unicode") << QByteArray("{\\rtf1 x\\u-99999999999 ?y}") << u"x\uFFFDy"_s;
    QTest::newRow("huge font size") << QByteArray("{\\rtf1\\fs99999999999999999999 x}") << u"x"_s;
    QTest::newRow("huge uc") << QByteArray("{\\rtf1\\uc99999999 \\u228 abc}") << u"ä"_s;
    QTest::newRow("huge bin") << QByteArray("{\\rtf1 a\\bin999999999999 bcd}") << u"a"_s;
    QTest::newRow("negative bin") << QByteArray("{\\rtf1 a\\bin-5 b}") << u"ab"_s;
    QTest::newRow("huge indices") << QByteArray("{\\rtf1\\f99999999999\\cf-99999999\\highlight99999999 x}")
                                  << u"x"_s;
    QTest::newRow("very long control word") << QByteArray("{\\rtf1 \\" + QByteArray(100000, 'a') + " x}") << u"x"_s;
    QTest::newRow("very long number") << QByteArray("{\\rtf1 \\fs" + QByteArray(100000, '9') + " x}") << u"x"_s;
    QTest::newRow("star outside a group start") << QByteArray("{\\rtf1 a\\*b}") << u"ab"_s;
    QTest::newRow("nul bytes") << QByteArray("{\\rtf1 a\0b\0}", 12) << u"ab"_s;
    QTest::newRow("only header") << QByteArray("{\\rtf") << QString();
    QTest::newRow("colour table gone wrong") << QByteArray("{\\rtf1{\\colortbl\\red999;;;\\green-4}\\cf1 x}")
                                             << u"x"_s;
}

void TestRichText::hostileInputs()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QCOMPARE(readPlain(rtf), text);
}

void TestRichText::randomBytes()
{
    // Bytes biased toward RTF syntax reach deeper into the reader than pure noise.
    static const char alphabet[] = "{}{}\\\\\\\\'*-0123456789abcfilnpqrstu ;\r\n\x80\xe4";
    const QByteArray sample = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red1\\green2\\blue3;}"
                              "\\uc1 {\\b\\cf1 a\\u8364?\\'e4}\\par\\qc{\\*\\x y}\\bin2 {}z\\tab\\line}";
    QRandomGenerator random(20260101);
    for (int round = 0; round < 2000; ++round) {
        QByteArray input;
        switch (round % 3) {
        case 0: // noise after a header
            input = "{\\rtf1 ";
            for (int i = 0, n = int(random.bounded(2000)); i < n; ++i)
                input += char(random.bounded(256));
            break;
        case 1: // syntax soup
            input = "{\\rtf1 ";
            for (int i = 0, n = int(random.bounded(2000)); i < n; ++i)
                input += alphabet[random.bounded(int(sizeof(alphabet) - 1))];
            break;
        default: // a valid text, damaged and cut off
            input = sample;
            for (int i = 0, n = int(random.bounded(6)); i < n; ++i)
                input[int(random.bounded(int(input.size())))] = char(random.bounded(256));
            input.truncate(int(random.bounded(int(input.size()) + 1)));
            if (!input.startsWith("{\\rtf"))
                input.prepend("{\\rtf1 ");
            break;
        }
        QTextDocument doc;
        QVERIFY(RichText::read(input, &doc));
        // Whatever came in, what is written again reads back the same.
        QTextDocument back;
        QVERIFY(RichText::read(RichText::write(&doc), &back));
        QCOMPARE(back.toPlainText(), doc.toPlainText());
    }
}

QTEST_MAIN(TestRichText)
#include "tst_richtext.moc"
