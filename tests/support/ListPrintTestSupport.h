// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

// Helpers of the list printer's tests: a machine without printers, recorded
// messages, the texts of recorded and of printed pages.

#include "ListPrint.h"
#include "ListPrintUi.h"

#include <QMap>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <memory>

/// Lays out as on a machine without printers (A4 at 300 dpi), whatever this one has.
inline void useNoPrinter()
{
    TCustomListPrint::PrinterFactory = [] { return std::unique_ptr<QPrinter>(); };
}

inline std::unique_ptr<QPrinter> pdfPrinter(const QString &path)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFileName(path);
    printer->setPageSize(QPageSize(QPageSize::A4));
    return printer;
}

/// Messages the list printer showed, as "kind: text"; questions are answered Yes.
struct TMessageLog {
    QStringList Entries;

    TMessageLog()
    {
        ListPrintUi::SetMessageHook([this](ListPrintUi::TMessageKind kind, const QString &text) {
            static const char *const names[] = { "Information", "Error", "Question", "Warning" };
            Entries.append(QLatin1String(names[int(kind)]) + QLatin1String(": ") + text);
            return true;
        });
    }
    ~TMessageLog() { ListPrintUi::SetMessageHook({}); }
    TMessageLog(const TMessageLog &) = delete;
    TMessageLog &operator=(const TMessageLog &) = delete;
};

/// Messages as TMessageLog, with every question answered by the next of Answers (Yes once they run out).
struct TAnsweredMessages {
    QStringList Entries;
    QList<bool> Answers;

    TAnsweredMessages()
    {
        ListPrintUi::SetMessageHook([this](ListPrintUi::TMessageKind kind, const QString &text) {
            static const char *const names[] = { "Information", "Error", "Question", "Warning" };
            Entries.append(QLatin1String(names[int(kind)]) + QLatin1String(": ") + text);
            const bool asks = kind == ListPrintUi::TMessageKind::Question || kind == ListPrintUi::TMessageKind::Warning;
            return !asks || Answers.isEmpty() || Answers.takeFirst();
        });
    }
    ~TAnsweredMessages() { ListPrintUi::SetMessageHook({}); }
    TAnsweredMessages(const TAnsweredMessages &) = delete;
    TAnsweredMessages &operator=(const TAnsweredMessages &) = delete;
};

/// The list printer's settings in memory, keys without regard to case, with the writes in order.
class TMemorySettings : public ListPrintUi::TSettingsAccess {
public:
    std::optional<QString> Read(const QString &key, const QString &name) override
    {
        const auto it = Values.constFind(Path(key, name));
        if (it == Values.constEnd())
            return std::nullopt;
        return *it;
    }
    bool Write(const QString &key, const QList<std::pair<QString, QString>> &values) override
    {
        if (Broken)
            return false;
        for (const auto &[name, value] : values) {
            Values.insert(Path(key, name), value);
            Written.append(name);
        }
        return true;
    }
    static QString Path(const QString &key, const QString &name) { return (key + u'\\' + name).toLower(); }

    QMap<QString, QString> Values;
    QStringList Written;
    bool Broken = false;
};

/// Installs a TMemorySettings for the life of the object.
struct TSettingsFixture {
    std::shared_ptr<TMemorySettings> Store = std::make_shared<TMemorySettings>();
    TSettingsFixture() { ListPrintUi::SetSettingsAccess(Store); }
    ~TSettingsFixture() { ListPrintUi::SetSettingsAccess({}); }
    TSettingsFixture(const TSettingsFixture &) = delete;
    TSettingsFixture &operator=(const TSettingsFixture &) = delete;
};

/// The texts recorded on page (from 1), in drawing order.
inline QStringList pageTexts(const TCustomListPrint &lp, int page)
{
    QStringList texts;
    for (const TPageList::TText &text : lp.Pages().Texts(page - 1))
        texts.append(text.Text);
    return texts;
}

inline bool havePdfToText()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

/// The text of each page of a PDF file, laid out as on the page.
inline QStringList pdfPages(const QString &path)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), { QStringLiteral("-layout"), path, QStringLiteral("-") });
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {};
    QStringList pages = QString::fromUtf8(process.readAllStandardOutput()).split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

/// Each page's lines, trimmed and with runs of blanks made single.
inline QStringList pdfPageLines(const QString &page)
{
    QStringList lines;
    for (const QString &line : page.split(u'\n')) {
        const QString simple = line.simplified();
        if (!simple.isEmpty())
            lines.append(simple);
    }
    return lines;
}
