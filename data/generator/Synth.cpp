#include "generator/StarterLibrary.h"
#include "generator/Wav.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace starter {

namespace {

constexpr int songRate = 22050;

double midiToHz(double note)
{
    return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}

// One chord of the song's four-chord loop: its root as semitones above the
// tonic, and whether it is minor.
struct Chord {
    int root;
    bool minor;
};

Chord chordOfEight(const DemoSong& song, int eight)
{
    static constexpr std::array<Chord, 4> majorLoop{{{0, false}, {9, true}, {5, false}, {7, false}}};
    static constexpr std::array<Chord, 4> minorLoop{{{0, true}, {8, false}, {5, true}, {7, false}}};
    return (song.minorKey ? minorLoop : majorLoop)[size_t(eight % 4)];
}

// Renders one song: drums on every count (a deep kick with a cymbal on 1, a
// kick on 5, a snare on 3 and 7, a hi-hat on the even beats), a bass line
// that follows the chord of each eight and a quiet chord pad. Every hit and
// bass note begins exactly at the sample of its count's stored time.
class SongSynth {
public:
    explicit SongSynth(const DemoSong& song)
        : m_song(song), m_out(size_t(wav::sampleAt(song.lengthSeconds, songRate)), 0.0f)
    {
    }

    std::vector<float> render()
    {
        const auto& track = m_song.track;
        const int64_t beatSamples = wav::sampleAt(60.0 / m_song.bpmValue, songRate);
        for (size_t i = 0; i < track.size(); ++i) {
            const int64_t at = wav::sampleAt(track[i].theTime, songRate);
            addDrums(track[i].beat, at, uint32_t(i));
            if (i + 1 < track.size())
                addHat(at + beatSamples / 2, 0.05f, 0.012, uint32_t(i) * 7u + 3u);   // the off-beat shaker
            addBassFor(track[i].beat, int(i / 8), at, double(2 * beatSamples) / songRate);
        }
        addPads();
        normalise(0.5f);
        return std::move(m_out);
    }

private:
    int64_t samplesFor(double seconds) const { return int64_t(seconds * songRate); }

    // Mixes in a sound starting at `at`: add(n) gives its n-th sample.
    template<typename F>
    void place(int64_t at, double seconds, F&& add)
    {
        const int64_t end = std::min<int64_t>(at + samplesFor(seconds), int64_t(m_out.size()));
        for (int64_t s = std::max<int64_t>(at, 0); s < end; ++s)
            m_out[size_t(s)] += add(s - at);
    }

    void addDrums(int beat, int64_t at, uint32_t seed)
    {
        switch (beat) {
        case 1:
            addKick(at, 1.0f);
            addCymbal(at, 0.3f, seed);
            break;
        case 5:
            addKick(at, 0.75f);
            break;
        case 3:
        case 7:
            addSnare(at, 0.2f, seed);
            break;
        default:
            addHat(at, 0.3f, 0.035, seed);
        }
    }

    // A falling sine with a short click on top, so the beat is felt and heard.
    void addKick(int64_t at, float gain)
    {
        double phase = 0.0;
        double sweep = 110.0;   // Hz above the resting pitch, falling fast
        float envelope = gain;
        float click = gain * 0.5f;
        wav::Noise noise(0x4b1du);
        const double sweepDecay = std::exp(-1.0 / (0.025 * songRate));
        const float decay = float(std::exp(-1.0 / (0.12 * songRate)));
        const float clickDecay = float(std::exp(-1.0 / (0.002 * songRate)));
        place(at, 0.4, [&](int64_t) {
            const float value = envelope * wav::sine(phase) + click * noise.next();
            phase += (48.0 + sweep) / songRate;
            sweep *= sweepDecay;
            envelope *= decay;
            click *= clickDecay;
            return value;
        });
    }

    // Bright noise (differentiated, so the low part is gone) with a decay.
    void addHat(int64_t at, float gain, double decaySeconds, uint32_t seed)
    {
        wav::Noise noise(seed * 2654435761u + 1u);
        float previous = 0.0f;
        float envelope = gain;
        const float decay = float(std::exp(-1.0 / (decaySeconds * songRate)));
        place(at, decaySeconds * 5, [&](int64_t) {
            const float white = noise.next();
            const float value = envelope * 0.6f * (white - previous);
            previous = white;
            envelope *= decay;
            return value;
        });
    }

    void addCymbal(int64_t at, float gain, uint32_t seed) { addHat(at, gain, 0.18, seed + 101u); }

    void addSnare(int64_t at, float gain, uint32_t seed)
    {
        wav::Noise noise(seed * 40503u + 17u);
        float envelope = gain;
        double phase = 0.0;
        const float decay = float(std::exp(-1.0 / (0.07 * songRate)));
        place(at, 0.3, [&](int64_t) {
            const float value = envelope * (0.7f * noise.next() + 0.5f * wav::sine(phase));
            phase += 190.0 / songRate;
            envelope *= decay;
            return value;
        });
    }

    // Bass notes on 1, 3, 5 and 7: the chord's root twice, its fifth, its octave.
    void addBassFor(int beat, int eight, int64_t at, double length)
    {
        static constexpr std::array<int, 8> stepOfBeat{0, -1, 0, -1, 7, -1, 12, -1};
        const int step = stepOfBeat[size_t(beat - 1)];
        if (step < 0)
            return;
        int root = chordOfEight(m_song, eight).root;
        if (root > 6)
            root -= 12;   // keep the line low
        addBassNote(at, length, midiToHz(m_song.tonic + root + step), 0.3f);
    }

    void addBassNote(int64_t at, double seconds, double frequency, float gain)
    {
        const int64_t total = samplesFor(seconds);
        const int64_t attack = samplesFor(0.004);
        const int64_t release = samplesFor(0.015);
        const float decay = float(std::exp(-1.0 / (0.3 * songRate)));
        float envelope = gain;
        const double step = frequency / songRate;
        place(at, seconds, [&](int64_t n) {
            const double phase = step * double(n);
            float shape = std::min(1.0f, float(n) / float(attack));
            shape = std::min(shape, float(total - n) / float(release));
            const float value = envelope * shape
                * (wav::sine(phase) + 0.35f * wav::sine(2 * phase) + 0.12f * wav::sine(3 * phase));
            envelope *= decay;
            return value;
        });
    }

    // A soft chord under each eight, and one fading in before the first count.
    void addPads()
    {
        const auto& track = m_song.track;
        if (track.empty())
            return;
        const int64_t end = int64_t(m_out.size());
        const int64_t first = wav::sampleAt(track.front().theTime, songRate);
        addPad(0, first, chordOfEight(m_song, 3), double(first) / songRate, 0.06);
        for (size_t i = 0; i < track.size(); i += 8) {
            const int64_t from = wav::sampleAt(track[i].theTime, songRate);
            const bool last = i + 8 >= track.size();
            const int64_t to = last ? end : wav::sampleAt(track[i + 8].theTime, songRate);
            addPad(from, to, chordOfEight(m_song, int(i / 8)), 0.08, last ? 0.8 : 0.06);
        }
    }

    void addPad(int64_t from, int64_t to, Chord chord, double fadeIn, double fadeOut)
    {
        const double root = m_song.tonic + 24 + (chord.root > 6 ? chord.root - 12 : chord.root);
        const std::array<double, 3> steps{midiToHz(root) / songRate,
                                          midiToHz(root + (chord.minor ? 3 : 4)) / songRate,
                                          midiToHz(root + 7) / songRate};
        const double length = double(to - from);
        const double inSamples = std::max(1.0, fadeIn * songRate);
        const double outSamples = std::max(1.0, fadeOut * songRate);
        place(from, length / songRate, [&](int64_t n) {
            const double shape = std::min({1.0, double(n) / inSamples, (length - double(n)) / outSamples});
            float sum = 0.0f;
            for (const double step : steps)
                sum += wav::sine(step * double(from + n));
            return float(0.035 * shape) * sum;
        });
    }

    void normalise(float peak)
    {
        float loudest = 0.0f;
        for (const float s : m_out)
            loudest = std::max(loudest, std::abs(s));
        if (loudest > 0.0f)
            for (float& s : m_out)
                s *= peak / loudest;
    }

    const DemoSong& m_song;
    std::vector<float> m_out;
};

} // namespace

bool synthesiseSong(const DemoSong& song, const QString& wavPath)
{
    return wav::write(wavPath, SongSynth(song).render(), songRate);
}

bool writeClickTrack(const QString& wavPath, double lengthSeconds,
                     const std::vector<double>& clickTimes, int sampleRate)
{
    if (sampleRate <= 0 || lengthSeconds < 0)
        return false;
    std::vector<float> samples(size_t(wav::sampleAt(lengthSeconds, sampleRate)));
    const double toneStep = 330.0 / sampleRate;
    for (size_t n = 0; n < samples.size(); ++n)
        samples[n] = 0.02f * wav::sine(toneStep * double(n));

    const int64_t clickLength = wav::sampleAt(0.015, sampleRate);
    const float decay = float(std::exp(-1.0 / (0.004 * sampleRate)));
    for (const double time : clickTimes) {
        const int64_t at = wav::sampleAt(time, sampleRate);
        float envelope = 0.6f;
        for (int64_t n = 0; n < clickLength; ++n, envelope *= decay) {
            if (at + n < 0 || at + n >= int64_t(samples.size()))
                continue;
            // a cosine starts at full height, so the click is there on its first sample
            samples[size_t(at + n)] += envelope * wav::sine(0.25 + 1500.0 * double(n) / sampleRate);
        }
    }
    return wav::write(wavPath, samples, sampleRate);
}

} // namespace starter
