// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "RegFile.h"

#include <QStringList>

namespace {

QString escaped(const QString &text)
{
    QString out;
    out.reserve(text.size() + 2);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\': out += QLatin1String("\\\\"); break;
        case '"': out += QLatin1String("\\\""); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        case '\0': out += QLatin1String("\\0"); break;
        default: out += c;
        }
    }
    return out;
}

// Reads a quoted text starting at pos (at the opening quote); returns the
// position after the closing quote, or -1 when the text is not closed.
qsizetype readQuoted(const QString &line, qsizetype pos, QString *out)
{
    if (pos >= line.size() || line.at(pos) != u'"')
        return -1;
    out->clear();
    for (qsizetype i = pos + 1; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == u'"')
            return i + 1;
        if (c == u'\\' && i + 1 < line.size()) {
            const QChar n = line.at(++i);
            switch (n.unicode()) {
            case 'n': *out += u'\n'; break;
            case 'r': *out += u'\r'; break;
            case '0': *out += QChar(0); break;
            default: *out += n;
            }
            continue;
        }
        *out += c;
    }
    return -1;
}

} // namespace

namespace RegFile {

QString normalizedKey(const QString &key)
{
    QString k = key;
    k.replace(u'/', u'\\');
    while (k.startsWith(u'\\'))
        k.remove(0, 1);
    while (k.endsWith(u'\\'))
        k.chop(1);
    return k;
}

Tree parse(const QByteArray &bytes)
{
    Tree result;
    const QStringList lines = QString::fromUtf8(bytes).split(u'\n');
    Key *current = nullptr;
    for (QString line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            QString keyPath = line.mid(1, line.size() - 2);
            const QString prefix = QStringLiteral("HKEY_CURRENT_USER\\");
            if (keyPath.startsWith(prefix, Qt::CaseInsensitive))
                keyPath = keyPath.mid(prefix.size());
            keyPath = normalizedKey(keyPath);
            Key &key = result[keyPath.toLower()];
            if (key.path.isEmpty())
                key.path = keyPath;
            current = &key;
            continue;
        }
        if (!current)
            continue;
        QString name;
        qsizetype pos = 0;
        if (line.startsWith(u'@')) {
            pos = 1;
        } else {
            pos = readQuoted(line, 0, &name);
            if (pos < 0)
                continue; // damaged line: skip it, keep the rest
        }
        if (pos >= line.size() || line.at(pos) != u'=')
            continue;
        QString data;
        if (readQuoted(line, pos + 1, &data) < 0)
            continue;
        current->values.insert(name.toLower(), Value{name, data});
    }
    return result;
}

QByteArray serialize(const Tree &tree)
{
    QString out = QStringLiteral("Windows Registry Editor Version 5.00\r\n");
    for (const Key &key : tree) {
        out += QLatin1String("\r\n[HKEY_CURRENT_USER\\") + key.path + QLatin1String("]\r\n");
        for (const Value &value : key.values) {
            if (value.name.isEmpty())
                out += QLatin1Char('@');
            else
                out += u'"' + escaped(value.name) + u'"';
            out += QLatin1String("=\"") + escaped(value.data) + QLatin1String("\"\r\n");
        }
    }
    return out.toUtf8();
}

} // namespace RegFile
