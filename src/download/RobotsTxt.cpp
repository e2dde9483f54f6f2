// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "RobotsTxt.h"

#include <QStringList>
#include <QUrl>

using namespace Qt::StringLiterals;

TRobotsRules TRobotsRules::Parse(const QByteArray &text, const QString &userAgent)
{
    const QString agent = userAgent.toLower();
    QList<Rule> named;
    QList<Rule> anyAgent;
    bool namedSeen = false;
    // The agents of the group being read; a rule line closes the list.
    QStringList groupAgents;
    bool inRules = false;
    for (QByteArray line : text.split('\n')) {
        const qsizetype hash = line.indexOf('#');
        if (hash >= 0)
            line.truncate(hash);
        const qsizetype colon = line.indexOf(':');
        if (colon < 0)
            continue;
        const QString key = QString::fromUtf8(line.left(colon)).trimmed().toLower();
        const QString value = QString::fromUtf8(line.mid(colon + 1)).trimmed();
        if (key == "user-agent"_L1) {
            if (inRules) {
                groupAgents.clear();
                inRules = false;
            }
            groupAgents.append(value.section(u'/', 0, 0).trimmed().toLower());
            continue;
        }
        if (key != "allow"_L1 && key != "disallow"_L1)
            continue;
        inRules = true;
        if (value.isEmpty())
            continue; // an empty Disallow allows everything
        // Patterns compare with request paths in their encoded form.
        Rule rule{QString::fromLatin1(QUrl::toPercentEncoding(value, "/?=&;:@$*%+,!~'()")), key == "allow"_L1};
        if (groupAgents.contains(agent)) {
            named.append(rule);
            namedSeen = true;
        } else if (groupAgents.contains(u"*"_s)) {
            anyAgent.append(rule);
        }
    }
    TRobotsRules rules;
    rules.FRules = namedSeen ? named : anyAgent;
    return rules;
}

bool TRobotsRules::matches(const QString &pattern, const QString &path)
{
    // Wildcard matching without backtracking blow-up: the pattern's pieces
    // between "*" are found left to right.
    QString body = pattern;
    const bool anchored = body.endsWith(u'$');
    if (anchored)
        body.chop(1);
    const QStringList pieces = body.split(u'*');
    qsizetype at = 0;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const QString &piece = pieces.at(i);
        if (i == 0) {
            if (!path.startsWith(piece))
                return false;
            at = piece.size();
            continue;
        }
        if (piece.isEmpty())
            continue;
        const bool last = i == pieces.size() - 1;
        if (last && anchored)
            return path.size() - at >= piece.size() && path.endsWith(piece);
        const qsizetype found = path.indexOf(piece, at);
        if (found < 0)
            return false;
        at = found + piece.size();
    }
    return !anchored || at == path.size() || (pieces.size() > 1 && pieces.last().isEmpty());
}

bool TRobotsRules::Allowed(const QString &pathAndQuery) const
{
    qsizetype bestLength = -1;
    bool allowed = true;
    for (const Rule &rule : FRules) {
        if (!matches(rule.Pattern, pathAndQuery))
            continue;
        const qsizetype length = rule.Pattern.size();
        if (length > bestLength || (length == bestLength && rule.Allow)) {
            bestLength = length;
            allowed = rule.Allow;
        }
    }
    return allowed;
}
