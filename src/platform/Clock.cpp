// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "Clock.h"

namespace {
std::function<QDateTime()> &source()
{
    static std::function<QDateTime()> now;
    return now;
}
} // namespace

namespace Clock {

QDateTime Now()
{
    return source() ? source()() : QDateTime::currentDateTime();
}

void SetNow(std::function<QDateTime()> now)
{
    source() = std::move(now);
}

} // namespace Clock
