// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "TrayStatus.h"

#include "DialUp.h"
#include "FormMain.h"
#include "RASStrList.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSystemTrayIcon>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

QString text(TFormMain &form, const char *name)
{
    if (auto *edit = form.findChild<QLineEdit *>(QLatin1String(name)))
        return edit->text();
    return QString();
}

// Minimising the main window leaves only the tray icon.
class TMinimizeToTray : public QObject {
public:
    explicit TMinimizeToTray(TFormMain &form)
        : QObject(&form)
        , FForm(form)
    {
        form.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == &FForm && event->type() == QEvent::WindowStateChange && FForm.isMinimized()
            && FForm.TrayIconAvailable()) {
            // Hidden after the window system has finished minimising it.
            QTimer::singleShot(0, &FForm, [this] {
                if (FForm.isMinimized())
                    FForm.hide();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    TFormMain &FForm;
};

} // namespace

namespace TrayStatus {

QString Cut(const QString &text, int length)
{
    if (text.size() <= length)
        return text;
    int end = length;
    if (end > 0 && text.at(end - 1).isHighSurrogate())
        --end;
    return text.left(end);
}

int EntryContaining(const QStringList &entries, const QString &name)
{
    if (name.isEmpty())
        return -1;
    for (int i = 0; i < entries.size(); ++i) {
        if (entries.at(i).contains(name))
            return i;
    }
    return -1;
}

TBalloon StatusBalloon(const TStatusData &data)
{
    const QString connection = u"Aktive DFÜ, Rufnummer, Gebühr: \r"_s + data.Entry.Name + u", "_s + data.Entry.Phone
        + u", "_s + data.Entry.Fee + u" €-Ct/Min."_s;
    const QString traffic = u"Verbindung:\r"_s + data.Header[1] + u", "_s + data.Header[2] + data.Header[3] + u"\r"_s
        + u"Verarbeitung: \r"_s + data.Panels[0] + u" > "_s + data.Panels[1] + u" gesendet | "_s + data.Panels[4]
        + u" < "_s + data.Panels[3] + u" empfangen\r"_s;
    TBalloon balloon;
    switch (data.State) {
    case Offline:
        balloon = { u"Rufwerk ist offline"_s, connection };
        break;
    case Online:
        balloon = { u"Rufwerk ist online: "_s + data.OnlineTime + u" (hh:mm:ss), "_s + data.Cost,
            connection + u"\r"_s + traffic };
        break;
    case ExternalOnline:
        balloon = { u"Extern ist online: "_s + data.OnlineTime + u" (hh:mm:ss), "_s + data.Cost,
            connection + u"\r"_s + traffic };
        break;
    default:
        return balloon;
    }
    balloon.Title = Cut(Cut(balloon.Title, MaxText), MaxTitle);
    balloon.Text = Cut(balloon.Text, MaxText);
    return balloon;
}

TStatusData Collect(TFormMain &form)
{
    TStatusData data;
    data.State = form.ConnectionState();
    data.OnlineTime = text(form, "EditOnline");
    data.Cost = text(form, "EditCurrent");
    if (TRASWorkUnit *engine = form.engine) {
        int index = -1;
        if (data.State == ExternalOnline)
            index = EntryContaining(form.RASStrList->Lines(u"Entries"_s), engine->RWDialUp->EntryName);
        else if (auto *combo = form.findChild<QComboBox *>(u"ComboBoxRAS"_s))
            index = combo->currentIndex();
        data.Entry = engine->ReadEntry(index);
    }
    if (auto *header = form.findChild<QHeaderView *>(u"HeaderControl"_s); header && header->model()) {
        for (int i = 0; i < int(data.Header.size()) && i < header->model()->columnCount(); ++i)
            data.Header[size_t(i)] = header->model()->headerData(i, Qt::Horizontal).toString();
    }
    for (size_t i = 0; i < data.Panels.size(); ++i) {
        if (auto *panel = form.findChild<QLabel *>(u"StatusPanel%1"_s.arg(i)))
            data.Panels[i] = panel->text();
    }
    return data;
}

void MIStatusClick(TFormMain &form)
{
    const TBalloon balloon = StatusBalloon(Collect(form));
    // Nothing to say while dialing or right after an end: the system shows no balloon.
    if (balloon.Title.isEmpty() && balloon.Text.isEmpty())
        return;
    if (ShowBalloonHook) {
        ShowBalloonHook(balloon.Title, balloon.Text);
        return;
    }
    // A new balloon replaces one still shown; a click on it removes it.
    if (auto *tray = form.findChild<QSystemTrayIcon *>(u"TrayIcon"_s))
        tray->showMessage(QString(balloon.Title).replace(u'\r', u'\n'), QString(balloon.Text).replace(u'\r', u'\n'),
            QSystemTrayIcon::Information, BalloonMilliseconds);
}

} // namespace TrayStatus

void InstallTrayCommands(TFormMain &form)
{
    form.SetCommand(u"StatusBalloon"_s, [&form] { TrayStatus::MIStatusClick(form); });
    new TMinimizeToTray(form);
}
