// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#pragma once

#include "ProgStartPage.h"

#include <QStringList>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTreeWidget;
class TPing;
class TRadioGroup;

/// What the server profile shows of a connection that is online.
struct TServerProfile {
    QString User;
    QString Password;
    QString Domain;
    QString Provider;
    QString LocalIP;
    QString RemoteIP;
    QString DeviceType;
    QString DeviceName;
    quint32 ConnectionSpeed = 0; ///< bit/s
    QString DevicePort;
    QString PhoneNumber;
    QString DisplayNumber;
    QString ConnectTime;
    QString Tariff;
    QString ConnectionNumber;
};

/// The profile as "property;value" lines, in their order; optional values
/// that are empty leave their line out, and the password shows as one "*"
/// per character.
QStringList ServerProfileLines(const TServerProfile &profile);

/// Page 4 "Server-Profil": dials a connection, shows what the dial-up service
/// reports about it, measures the server's response time with four echoes and
/// puts the connection log, profile and test log into one printable text.
class TPageServerProfile : public TProgStartPage {
    Q_OBJECT

public:
    static constexpr int EchoCount = 4;

    explicit TPageServerProfile(TFormProgStart *dialog);

    void PageShown() override;

    /// The lines of the evaluation ("&Auswerten"); a blank line holds one space.
    QStringList EvaluationLines() const;
    /// The profile list as "property;value" lines.
    QStringList ProfileLines() const;
    TPing *PingTest() const { return FPing; }

private:
    void BtnProfilClick();
    void BtnTransTestClick();
    void BtnCancelTestClick();
    void BtnPrintClick();
    void PingTestDnsLookupDone(int error);
    void PingTestEchoRequest();
    void PingTestEchoReply(int replies);

    /// Processes messages while the dial runs; true when the connection is online.
    bool waitForLine();
    /// The main window's "Remote IP" panel, once the connection's data arrived.
    QString remoteAddress();
    TServerProfile LoadEntryDialData(const QString &name);
    void showProfile(const QStringList &lines);
    void nextRound();
    void finishTest();
    void addLog(const QString &line);
    QString serverAddress() const;

    QComboBox *CBServer = nullptr;
    QPushButton *BtnProfil = nullptr;
    QPushButton *BtnPrint = nullptr;
    QTreeWidget *LBServProfil = nullptr;
    QSpinBox *SEPackSize = nullptr;
    TRadioGroup *RGTTL = nullptr;
    QPushButton *BtnTransTest = nullptr;
    QPushButton *BtnCancelTest = nullptr;
    QLabel *LblServerAddr = nullptr;
    QLabel *LblTestReseult = nullptr;
    QPlainTextEdit *DisplayMemo = nullptr;
    TPing *FPing = nullptr;

    // The running test: sum of round-trip times and echoes sent.
    qint64 FSum = 0;
    int FCount = 0;
    bool FTestRunning = false;
    bool FCancelRequested = false;
};
