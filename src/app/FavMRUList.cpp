// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "FavMRUList.h"

#include "EngineSettings.h"
#include "SettingsStore.h"

using namespace Qt::StringLiterals;

namespace {
// Long addresses keep their start and their end in a caption.
constexpr int CaptionLength = 60;
} // namespace

QString TFavMRUList::Key()
{
    return RegKey::Bas() + u"MRUList"_s;
}

QString TFavMRUList::ValueName(int index)
{
    return u"H"_s + QChar(u'A' + index);
}

void TFavMRUList::Add(const QString &address)
{
    for (qsizetype i = 0; i < FItems.size(); ++i) {
        if (FItems.at(i).compare(address, Qt::CaseInsensitive) == 0) {
            FItems.removeAt(i);
            break;
        }
    }
    FItems.prepend(address);
    while (FItems.size() > MaxCount)
        FItems.removeLast();
}

void TFavMRUList::Load(const SettingsStore &store)
{
    FItems.clear();
    for (int i = 0; i < MaxCount; ++i) {
        const QString address = store.readString(Key(), ValueName(i)).trimmed();
        if (!address.isEmpty())
            FItems.append(address);
    }
}

bool TFavMRUList::Save(SettingsStore &store) const
{
    bool ok = true;
    for (int i = 0; i < MaxCount; ++i) {
        if (i < FItems.size())
            ok = store.writeString(Key(), ValueName(i), FItems.at(i)) && ok;
        else if (store.hasValue(Key(), ValueName(i)))
            ok = store.deleteValue(Key(), ValueName(i)) && ok;
    }
    return ok;
}

QString TFavMRUList::Caption(int index, const QString &address)
{
    QString shown = address;
    if (shown.size() > CaptionLength)
        shown = shown.left(CaptionLength / 2 - 1) + u"…"_s + shown.right(CaptionLength / 2 - 1);
    shown.replace(u'&', u"&&"_s);
    const QString key = index < 9 ? QString::number(index + 1) : u"A"_s;
    return u"&"_s + key + u' ' + shown;
}
