// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include <QByteArray>
#include <QColor>
#include <QEvent>
#include <QFlags>
#include <QFont>
#include <QString>
#include <exception>
#include <functional>

class QObject;

// Types shared by the list printer and its hosts.

enum TAlignment { taLeftJustify = 0, taRightJustify = 1, taCenter = 2 };
enum TMeasureUnit { muInches = 0, muMillimeters = 1 };
enum TPrinterOrientation { poPortrait = 0, poLandscape = 1 };
enum TZoomLocation { zlTopLeft = 0, zlTopCenter = 1, zlCenter = 2 };

/// Frame lines around the text area. The values are the bits the stored settings use.
enum TPageBorder { pbLeft = 1, pbTop = 2, pbRight = 4, pbBottom = 8 };
Q_DECLARE_FLAGS(TPageBorders, TPageBorder)
Q_DECLARE_OPERATORS_FOR_FLAGS(TPageBorders)

/// A font as the report uses it: family, point size, style and colour.
struct TListFont {
    QFont Font;
    QColor Color = Qt::black;

    /// family at size points, regular, black.
    static TListFont Make(const QString &family, double points, bool bold = false, bool underline = false);
    bool operator==(const TListFont &other) const = default;
};

/// One cell of a table line, handed to OnGetCellFormat, which may change every field.
struct TTableLineColumnInfo {
    QString Text;
    double Width = 0; ///< in MeasureUnit
    TAlignment Alignment = taLeftJustify;
    bool Frame = true;
};

class TCustomListPrint;
/// Col counts from 1.
using TGetCellFormatEvent = std::function<void(TCustomListPrint *sender, int Col, TTableLineColumnInfo &ColInfo)>;
using TListPrintNotifyEvent = std::function<void(TCustomListPrint *sender)>;

/// Messages between the list printer and its host window, delivered as Qt events.
constexpr int LPM_REBUILD = 0x1401; ///< build the report again from the start
constexpr int LPM_EXPORT = 0x1402; ///< export the report (no handler in this program)

class TListPrintEvent : public QEvent {
public:
    explicit TListPrintEvent(int message)
        : QEvent(TypeOf(message))
        , Message(message)
    {
    }
    /// The event type a host compares with, e.g. TypeOf(LPM_REBUILD).
    static QEvent::Type TypeOf(int message) { return QEvent::Type(QEvent::User + message); }

    const int Message;
};

/// Printer errors; what() is UTF-8, Message() the German text.
class EPrinter : public std::exception {
public:
    explicit EPrinter(QString message)
        : m_message(std::move(message))
        , m_utf8(m_message.toUtf8())
    {
    }
    const char *what() const noexcept override { return m_utf8.constData(); }
    QString Message() const { return m_message; }

private:
    QString m_message;
    QByteArray m_utf8;
};

class EPagePrinter : public EPrinter {
public:
    using EPrinter::EPrinter;
};

class ECancelPrinting : public EPagePrinter {
public:
    using EPagePrinter::EPagePrinter;
};
