// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 Rufwerk developers
#include "Sounds.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QtEndian>

#include <cmath>

namespace {

std::function<void(Sounds::Kind)> &player()
{
    static std::function<void(Sounds::Kind)> p;
    return p;
}

// A short two-tone chime as 16-bit mono WAV, made once: no sound file has to ship.
QByteArray chime(double firstHz, double secondHz)
{
    constexpr int rate = 22050;
    constexpr int samples = rate / 2;
    QByteArray pcm(samples * 2, Qt::Uninitialized);
    auto *out = reinterpret_cast<qint16 *>(pcm.data());
    for (int i = 0; i < samples; ++i) {
        const double t = double(i) / rate;
        const double hz = i < samples / 2 ? firstHz : secondHz;
        const double envelope = std::exp(-6.0 * std::fmod(t, 0.25));
        out[i] = qToLittleEndian(qint16(9000.0 * envelope * std::sin(2 * M_PI * hz * t)));
    }
    QByteArray wav;
    auto put32 = [&wav](quint32 v) { v = qToLittleEndian(v); wav.append(reinterpret_cast<const char *>(&v), 4); };
    auto put16 = [&wav](quint16 v) { v = qToLittleEndian(v); wav.append(reinterpret_cast<const char *>(&v), 2); };
    wav.append("RIFF");
    put32(36 + quint32(pcm.size()));
    wav.append("WAVEfmt ");
    put32(16);
    put16(1);
    put16(1);
    put32(rate);
    put32(rate * 2);
    put16(2);
    put16(16);
    wav.append("data");
    put32(quint32(pcm.size()));
    wav.append(pcm);
    return wav;
}

QString soundFile(Sounds::Kind kind)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    const QString dir = folder.isEmpty() ? QDir::tempPath() : folder;
    const QString path = dir + (kind == Sounds::Kind::Question ? QLatin1String("/rufwerk-question.wav")
                                                               : QLatin1String("/rufwerk-reminder.wav"));
    if (!QFile::exists(path)) {
        QDir().mkpath(dir);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(kind == Sounds::Kind::Question ? chime(660, 880) : chime(880, 660));
    }
    return path;
}

bool playThroughSoundSystem(Sounds::Kind kind)
{
    for (const char *tool : {"paplay", "pw-play", "aplay"}) {
        const QString exe = QStandardPaths::findExecutable(QLatin1String(tool));
        if (exe.isEmpty())
            continue;
        QStringList args;
        if (QLatin1String(tool) == QLatin1String("aplay"))
            args << QStringLiteral("-q");
        args << soundFile(kind);
        if (QProcess::startDetached(exe, args))
            return true;
    }
    return false;
}

} // namespace

namespace Sounds {

void Play(Kind kind)
{
    if (player()) {
        player()(kind);
        return;
    }
    if (kind != Kind::Beep && playThroughSoundSystem(kind))
        return;
    QApplication::beep();
}

void SetPlayer(std::function<void(Kind)> p)
{
    player() = std::move(p);
}

} // namespace Sounds
