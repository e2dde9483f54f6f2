// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "SettingsFailureReport.h"

#include "MessageDialog.h"

#include <QCoreApplication>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {

struct State
{
    QPointer<QWidget> window;
    QList<SettingsStore::Failure> pending;
    bool scheduled = false;
};

State &state()
{
    static State s;
    return s;
}

QString nameOf(const SettingsStore::Failure &failure)
{
    const QString key = u"HKEY_CURRENT_USER\\"_s + failure.key;
    return failure.name.isEmpty() ? u"„%1“"_s.arg(key) : u"„%1“ in „%2“"_s.arg(failure.name, key);
}

// Names shown before the rest is only counted.
constexpr int ListedNames = 5;

} // namespace

namespace SettingsFailureReport {

QString Text(const QList<SettingsStore::Failure> &failures)
{
    QStringList names;
    QStringList reasons;
    for (const SettingsStore::Failure &failure : failures) {
        if (names.size() < ListedNames)
            names.append(nameOf(failure));
        if (!failure.reason.isEmpty() && !reasons.contains(failure.reason))
            reasons.append(failure.reason);
    }
    QString text = failures.size() == 1 ? u"Die Einstellung %1 kann nicht gespeichert werden."_s.arg(names.first())
                                        : u"Diese Einstellungen können nicht gespeichert werden:\r"_s
                                              + names.join(u'\r');
    if (failures.size() > ListedNames)
        text += u"\r(und %1 weitere)"_s.arg(failures.size() - ListedNames);
    if (!reasons.isEmpty())
        text += u"\r\r"_s + reasons.join(u'\r');
    return text;
}

void Install(QWidget *window)
{
    state().window = window;
    SettingsStore::setFailureHandler([](const SettingsStore::Failure &failure) {
        State &s = state();
        for (const SettingsStore::Failure &known : std::as_const(s.pending)) {
            if (known.key.compare(failure.key, Qt::CaseInsensitive) == 0
                && known.name.compare(failure.name, Qt::CaseInsensitive) == 0)
                return;
        }
        s.pending.append(failure);
        if (s.scheduled)
            return;
        s.scheduled = true;
        // Not in the middle of the write: the caller may be a dialog's handler.
        QTimer::singleShot(0, QCoreApplication::instance(), [] { Flush(); });
    });
}

void Uninstall(QWidget *window)
{
    if (state().window != window)
        return;
    SettingsStore::setFailureHandler({});
    state() = State{};
}

void Flush()
{
    State &s = state();
    s.scheduled = false;
    if (s.pending.isEmpty())
        return;
    const QList<SettingsStore::Failure> failures = std::exchange(s.pending, {});
    MessageDialog::Error(Text(failures), s.window);
}

} // namespace SettingsFailureReport
