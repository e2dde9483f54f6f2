// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QDateTime>
#include <QString>

/**
 * Texts of page headers and footers: the placeholders replaced in table cells,
 * the "friendly" &-codes resolved into header and footer texts, and the
 * five-valued position codes the page layout dialog edits.
 */
namespace HeaderFooterCodes {

/// What the placeholders and codes stand for at one moment.
struct TContext {
    int Line = 0;
    int Page = 0;
    QString Title;
    QString FileName;
    QDateTime Now;
};

/// Replaces {$LINE}, {$PAGE}, {$DATE}, {$TIME} and {$TITLE}, in this order, case-sensitively.
QString ReplacePlaceholders(const QString &text, const TContext &context);

/// Resolves &l &c &r (column marks), &d &D &t &T (date, time), &p &i
/// (page and title placeholders), &f &F (file name), && and unknown codes.
QString ResolveFriendly(const QString &codes, const TContext &context);

/// Position codes 0 to 4 of one column: empty, date, page number, time, user text.
enum TPositionCode { pcEmpty = 0, pcDate = 1, pcPageNumber = 2, pcTime = 3, pcUserText = 4 };
/// The code string of a header or footer row from its left, centre and right codes;
/// userText stands in the centre column for code 4.
QString PositionCodeString(int left, int centre, int right, const QString &userText);

QString ShortDate(const QDate &date);
QString LongDate(const QDate &date);
QString ShortTime(const QTime &time);
QString LongTime(const QTime &time);

} // namespace HeaderFooterCodes
