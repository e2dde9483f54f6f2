// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "WindowPlacement.h"

#include "EngineSettings.h"
#include "SettingsStore.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace WindowPlacement {

QString Key()
{
    return RegKey::Bas() + u"MainForm"_s;
}

QString ValueName()
{
    return u"FormMain"_s;
}

QString Format(const Placement &placement)
{
    const QRect &r = placement.frame;
    return u"%1,%2,%3,%4,%5"_s.arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()).arg(placement.minimized ? 1 : 0);
}

std::optional<Placement> Parse(const QString &text)
{
    const QStringList parts = text.split(u',');
    if (parts.size() != 5)
        return std::nullopt;
    int v[5];
    for (int i = 0; i < 5; ++i) {
        bool ok = false;
        v[i] = parts.at(i).trimmed().toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    // Beyond the largest window size no screen lies; checked here, the
    // rectangle's corners cannot overflow.
    const auto coordinate = [](int n) { return n >= -QWIDGETSIZE_MAX && n <= QWIDGETSIZE_MAX; };
    const auto size = [](int n) { return n > 0 && n <= QWIDGETSIZE_MAX; };
    if (!coordinate(v[0]) || !coordinate(v[1]) || !size(v[2]) || !size(v[3]) || (v[4] != 0 && v[4] != 1))
        return std::nullopt;
    return Placement{QRect(v[0], v[1], v[2], v[3]), v[4] == 1};
}

QPoint OntoScreens(const QRect &rect, const QList<QRect> &areas)
{
    if (areas.isEmpty())
        return rect.topLeft();
    QRect best = areas.first();
    qint64 bestOverlap = -1;
    for (const QRect &area : areas) {
        const QRect common = area.intersected(rect);
        const qint64 overlap = common.isValid() ? qint64(common.width()) * common.height() : 0;
        if (overlap > bestOverlap) {
            bestOverlap = overlap;
            best = area;
        }
    }
    if (bestOverlap <= 0)
        best = areas.first();
    int x = std::min(rect.x(), best.right() + 1 - rect.width());
    int y = std::min(rect.y(), best.bottom() + 1 - rect.height());
    x = std::max(x, best.left());
    y = std::max(y, best.top());
    return {x, y};
}

QList<QRect> ScreenAreas()
{
    QList<QRect> areas;
    if (QScreen *primary = QGuiApplication::primaryScreen())
        areas << primary->availableGeometry();
    const auto screens = QGuiApplication::screens();
    for (QScreen *screen : screens) {
        if (screen != QGuiApplication::primaryScreen())
            areas << screen->availableGeometry();
    }
    return areas;
}

std::optional<Placement> Read(const SettingsStore &store)
{
    return Parse(store.readString(Key(), ValueName()));
}

void Write(SettingsStore &store, const Placement &placement)
{
    store.writeString(Key(), ValueName(), Format(placement));
}

} // namespace WindowPlacement
