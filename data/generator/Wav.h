#pragma once

// Writing 16-bit mono PCM WAV files from float samples, and the small sound
// pieces the demo songs and click tracks are built from.

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace starter::wav {

// Samples in -1..1 (clamped); true when the whole file was written.
bool write(const QString& path, const std::vector<float>& samples, int sampleRate);

// The sample at which something starting at the given time begins.
int64_t sampleAt(double seconds, int sampleRate);

constexpr int sineTableSize = 4096;
const std::array<float, sineTableSize + 1>& sineTable();

// A sine lookup for a phase in turns (1.0 = one cycle, phases >= 0); much
// faster than std::sin, and the songs need millions of values.
inline float sine(double turns)
{
    const double position = (turns - double(int64_t(turns))) * sineTableSize;
    const int index = int(position);
    const float fraction = float(position - index);
    const auto& table = sineTable();
    return table[index] + (table[index + 1] - table[index]) * fraction;
}

// A repeatable noise source: the same seed gives the same sound every build.
class Noise {
public:
    explicit Noise(uint32_t seed) : m_state(seed) {}
    float next()
    {
        m_state = m_state * 1664525u + 1013904223u;
        return float(int32_t(m_state)) / 2147483648.0f;
    }

private:
    uint32_t m_state;
};

} // namespace starter::wav
