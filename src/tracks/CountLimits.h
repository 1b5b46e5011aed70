#pragma once

// What a count of a song's track can hold. Cells, tools, the first track
// and song synchronisation keep every stored value within these bounds, so a
// track never holds a time no song has, a beat outside the eight or a speed
// no music is played at.

#include <QString>
#include <cmath>

namespace CountLimits {

// No song lasts a day. A track shifted backward past the start of its song
// holds negative times, so a time lies within a day either side of the start.
constexpr double kLongestSong = 24.0 * 60.0 * 60.0;
// Count numbers run from 1 to this.
constexpr int kHighestCount = 1000000;
// Beats per minute above any music.
constexpr double kFastestSpeed = 1000.0;
// Speeds show to the hundredth: a slower one would show as 0.00, no speed.
constexpr double kSlowestSpeed = 0.01;

// What the user is told when a change would move a count that far.
inline const QString kBeyondSong = QStringLiteral(
    "That would put counts more than 24 hours from the start of the song: no song lasts that long.");

inline bool isTime(double seconds)
{
    return std::isfinite(seconds) && std::fabs(seconds) <= kLongestSong;
}

inline bool isSpeed(double beatsPerMinute)
{
    return beatsPerMinute >= kSlowestSpeed && beatsPerMinute <= kFastestSpeed;
}

// A whole beat of the eight, checked on the number as read: a value far
// outside any int must not be converted to one first.
inline bool isBeat(double beat)
{
    return beat >= 1.0 && beat <= 8.0 && beat == std::floor(beat);
}

inline bool isCount(double count)
{
    return count >= 1.0 && count <= kHighestCount && count == std::floor(count);
}

} // namespace CountLimits
