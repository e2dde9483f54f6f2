// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QList>
#include <QPair>
#include <QString>

/// The program's version resource: what the about boxes show.
struct TVersionInfo {
    QString ProductName;
    QString ProductVersion;
    QString OriginalFilename;
    QString CompanyName;
    QString Comments;
    QString FileDescription;
    QString FileVersion;
    QString LegalCopyright;
    QString LegalTrademarks;
    QString InternalName;
    bool PreRelease = false;

    /// The resource of this build.
    static TVersionInfo Program();
    /// Label and value of each field in the about box's order, ending with "Pre-Release".
    QList<QPair<QString, QString>> Rows() const;
};

/// The application title that the main window sets at start.
QString ApplicationTitle();
/// The maker's support mail address.
QString SupportMailAddress();
