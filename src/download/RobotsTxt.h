// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

/**
 * The rules of a site's "robots.txt" for one user agent: the group naming the
 * agent, else the group for "*". Allow and Disallow match path prefixes with
 * "*" and a closing "$"; the longest match decides, Allow on a tie.
 */
class TRobotsRules
{
public:
    /// No rules: everything is allowed.
    TRobotsRules() = default;
    static TRobotsRules Parse(const QByteArray &text, const QString &userAgent);

    /// pathAndQuery as sent in the request line, e.g. "/a/b.html?x=1".
    bool Allowed(const QString &pathAndQuery) const;

private:
    struct Rule
    {
        QString Pattern;
        bool Allow = false;
    };
    static bool matches(const QString &pattern, const QString &path);
    QList<Rule> FRules;
};
