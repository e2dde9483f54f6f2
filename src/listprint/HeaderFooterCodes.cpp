// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "HeaderFooterCodes.h"

#include <QLocale>

using namespace Qt::StringLiterals;

namespace HeaderFooterCodes {

QString ShortDate(const QDate &date)
{
    // Reports show the year in full, as the system's short date does.
    QString format = QLocale().dateFormat(QLocale::ShortFormat);
    if (!format.contains("yyyy"_L1))
        format.replace("yy"_L1, "yyyy"_L1);
    return QLocale().toString(date, format);
}

QString LongDate(const QDate &date)
{
    return QLocale().toString(date, QLocale::LongFormat);
}

QString ShortTime(const QTime &time)
{
    return QLocale().toString(time, QLocale::ShortFormat);
}

QString LongTime(const QTime &time)
{
    // The locale's long format names the time zone; the report shows the clock only.
    return QLocale().toString(time, u"HH:mm:ss"_s);
}

QString ReplacePlaceholders(const QString &text, const TContext &context)
{
    if (!text.contains("{$"_L1))
        return text;
    QString result = text;
    result.replace("{$LINE}"_L1, QString::number(context.Line));
    result.replace("{$PAGE}"_L1, QString::number(context.Page));
    result.replace("{$DATE}"_L1, ShortDate(context.Now.date()));
    result.replace("{$TIME}"_L1, LongTime(context.Now.time()));
    result.replace("{$TITLE}"_L1, context.Title);
    return result;
}

namespace {

QString withoutFolder(const QString &fileName)
{
    const qsizetype cut = std::max(fileName.lastIndexOf(u'/'), fileName.lastIndexOf(u'\\'));
    return fileName.mid(cut + 1);
}

} // namespace

QString ResolveFriendly(const QString &codes, const TContext &context)
{
    QString result;
    for (qsizetype i = 0; i < codes.size(); ++i) {
        const QChar c = codes.at(i);
        if (c != u'&') {
            result += c;
            continue;
        }
        if (++i >= codes.size())
            break; // a lone "&" at the end stands for nothing
        QString value;
        switch (codes.at(i).unicode()) {
        case u'l':
        case u'c':
        case u'r':
            // Marks before any text add no column: the alignment comes from the format.
            if (!result.isEmpty())
                result += u'|';
            continue;
        case u'd':
            value = ShortDate(context.Now.date());
            break;
        case u'D':
            value = LongDate(context.Now.date());
            break;
        case u't':
            value = ShortTime(context.Now.time());
            break;
        case u'T':
            value = LongTime(context.Now.time());
            break;
        case u'p':
            value = u"{$PAGE}"_s;
            break;
        case u'i':
            value = u"{$TITLE}"_s;
            break;
        case u'f':
            value = withoutFolder(context.FileName);
            break;
        case u'F':
            value = context.FileName;
            break;
        case u'&':
            value = u"&"_s;
            break;
        default:
            break;
        }
        result += value.isEmpty() ? u" "_s : value;
    }
    return result;
}

QString PositionCodeString(int left, int centre, int right, const QString &userText)
{
    const auto piece = [](QChar mark, int code) -> QString {
        const QString m = u'&' + QString(mark);
        switch (code) {
        case pcDate:
            return m + "&d"_L1;
        case pcPageNumber:
            return m + " Seite &p"_L1;
        case pcTime:
            return m + "&t"_L1;
        default:
            return m + u' ';
        }
    };
    const QString centrePiece = centre == pcUserText ? "&c"_L1 + userText : piece(u'c', centre);
    return piece(u'l', left) + centrePiece + piece(u'r', right);
}

} // namespace HeaderFooterCodes
