// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "Shell.h"

#include <QList>
#include <QStringList>

/// A shell for tests: records what would have been opened and opens nothing.
class FakeShell : public Shell {
public:
    struct Opened {
        QString target;
        QString parameters;
        QString workDir;
    };

    QList<Opened> opened;
    QStringList foldersShown;
    /// The answer of open() and showFolder(); error is the text they give when false.
    bool succeed = true;
    QString error = QStringLiteral("Testfehler");

    bool open(const QString &target, const QString &parameters, const QString &workDir, QString *errorText) override
    {
        opened.append({ target, parameters, workDir });
        return answer(errorText);
    }

    bool showFolder(const QString &folder, QString *errorText) override
    {
        foldersShown.append(folder);
        return answer(errorText);
    }

    /// The icon every file type has; null: the system has none.
    QIcon icon;

    QIcon fileIcon(const QString &) override { return icon; }

private:
    bool answer(QString *errorText)
    {
        if (!succeed && errorText)
            *errorText = error;
        return succeed;
    }
};
