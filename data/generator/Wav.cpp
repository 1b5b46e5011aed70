#include "generator/Wav.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace starter::wav {

namespace {

void append16(QByteArray& out, uint16_t value)
{
    out.append(char(value & 0xff)).append(char(value >> 8));
}

void append32(QByteArray& out, uint32_t value)
{
    const uint32_t le = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&le), 4);
}

} // namespace

const std::array<float, sineTableSize + 1>& sineTable()
{
    static const auto table = [] {
        std::array<float, sineTableSize + 1> t{};
        for (int i = 0; i <= sineTableSize; ++i)
            t[i] = float(std::sin(2.0 * std::numbers::pi * i / sineTableSize));
        return t;
    }();
    return table;
}

int64_t sampleAt(double seconds, int sampleRate)
{
    return std::llround(seconds * sampleRate);
}

bool write(const QString& path, const std::vector<float>& samples, int sampleRate)
{
    const uint32_t dataBytes = uint32_t(samples.size() * 2);
    QByteArray out;
    out.reserve(int(44 + dataBytes));
    out.append("RIFF", 4);
    append32(out, 36 + dataBytes);
    out.append("WAVEfmt ", 8);
    append32(out, 16);               // size of the format chunk
    append16(out, 1);                // PCM
    append16(out, 1);                // mono
    append32(out, uint32_t(sampleRate));
    append32(out, uint32_t(sampleRate) * 2);   // bytes per second
    append16(out, 2);                // bytes per frame
    append16(out, 16);               // bits per sample
    out.append("data", 4);
    append32(out, dataBytes);
    for (const float sample : samples) {
        const float scaled = std::clamp(sample, -1.0f, 1.0f) * 32767.0f;
        append16(out, uint16_t(int16_t(scaled + (scaled < 0 ? -0.5f : 0.5f))));
    }

    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(out) == out.size() && file.flush();
}

} // namespace starter::wav
