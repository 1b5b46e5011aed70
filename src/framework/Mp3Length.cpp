#include "framework/Mp3Length.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace fw {
namespace {

// What a frame's four header bytes tell, for MPEG audio Layer III.
struct Frame {
    int versionBits;   // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
    int bitrateIndex;
    int sampleRate;
    bool mono;
    int length;        // in bytes, with its padding

    bool mpeg1() const { return versionBits == 3; }
    bool sameStreamAs(const Frame& other) const
    {
        return versionBits == other.versionBits && sampleRate == other.sampleRate;
    }
};

// kbit/s by bitrate index; 0 is a free bitrate (no length can be worked
// out) and 15 is not allowed.
constexpr int kBitrates[2][16] = {
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},   // MPEG-1
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},       // MPEG-2 and 2.5
};
constexpr int kSampleRates[3] = {44100, 48000, 32000};   // MPEG-1; MPEG-2 halves, MPEG-2.5 quarters

// The length header: its tag, its flags (frames, bytes and table given),
// the numbers, and the table of where each hundredth begins.
constexpr int kHeaderBytes = 4 + 4 + 4 + 4 + 100;

// A first frame must be followed by this many more before the file counts
// as MP3, so that a file of another kind is never taken for one by chance.
constexpr int kFramesToTrust = 8;
// How far past its tags the first frame of audio is looked for.
constexpr qint64 kFirstFrameWithin = 64 * 1024;

const uchar* bytes(QByteArrayView file) { return reinterpret_cast<const uchar*>(file.data()); }

int frameLength(bool mpeg1, int bitrateIndex, int sampleRate, int padding)
{
    return (mpeg1 ? 144000 : 72000) * kBitrates[mpeg1 ? 0 : 1][bitrateIndex] / sampleRate + padding;
}

std::optional<Frame> frameAt(QByteArrayView file, qint64 at)
{
    if (at < 0 || at + 4 > file.size())
        return std::nullopt;
    const uchar* p = bytes(file) + at;
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0)
        return std::nullopt;
    Frame frame;
    frame.versionBits = (p[1] >> 3) & 3;
    const int layerBits = (p[1] >> 1) & 3;
    frame.bitrateIndex = p[2] >> 4;
    const int rateIndex = (p[2] >> 2) & 3;
    if (frame.versionBits == 1 || layerBits != 1 || frame.bitrateIndex == 0 || frame.bitrateIndex == 15
        || rateIndex == 3)
        return std::nullopt;
    frame.sampleRate = kSampleRates[rateIndex] >> (frame.mpeg1() ? 0 : frame.versionBits == 2 ? 1 : 2);
    frame.mono = (p[3] >> 6) == 3;
    frame.length = frameLength(frame.mpeg1(), frame.bitrateIndex, frame.sampleRate, (p[2] >> 1) & 1);
    return frame;
}

// True when `count` frames of one stream follow each other from `at` (the
// file may end after the last of them).
bool framesFollow(QByteArrayView file, qint64 at, int count)
{
    const std::optional<Frame> first = frameAt(file, at);
    if (!first)
        return false;
    qint64 next = at + first->length;
    for (int k = 1; k < count && next < file.size(); ++k) {
        const std::optional<Frame> frame = frameAt(file, next);
        if (!frame || !frame->sameStreamAs(*first))
            return false;
        next += frame->length;
    }
    return true;
}

// Where the next run of `count` frames begins, from `from` on; -1 when none.
qint64 findFrames(QByteArrayView file, qint64 from, qint64 until, int count)
{
    for (qint64 at = from; at + 4 <= std::min(until, file.size()); ++at) {
        if (bytes(file)[at] == 0xFF && framesFollow(file, at, count))
            return at;
    }
    return -1;
}

// The bytes of the tags (ID3 version 2) the file begins with.
qint64 leadingTags(QByteArrayView file)
{
    qint64 at = 0;
    while (at + 10 <= file.size() && file.sliced(at, 3) == QByteArrayView("ID3")) {
        const uchar* p = bytes(file) + at;
        const qint64 size = (qint64(p[6] & 0x7F) << 21) | ((p[7] & 0x7F) << 14) | ((p[8] & 0x7F) << 7) | (p[9] & 0x7F);
        at += 10 + size + ((p[5] & 0x10) ? 10 : 0);   // a footer repeats the header
    }
    return at;
}

int sideInfoBytes(const Frame& frame)
{
    if (frame.mpeg1())
        return frame.mono ? 17 : 32;
    return frame.mono ? 9 : 17;
}

// True when the frame holds a header that tells the length (as a variable-
// or constant-bitrate encoder writes it, or in the other common form).
bool tellsLength(QByteArrayView file, qint64 at, const Frame& frame)
{
    auto tagAt = [&](qint64 offset, const char* tag) {
        return at + offset + 4 <= file.size() && file.sliced(at + offset, 4) == QByteArrayView(tag, 4);
    };
    // A checksum after the frame header puts the tag two bytes later.
    for (const qint64 offset : {4 + sideInfoBytes(frame), 6 + sideInfoBytes(frame)}) {
        if (tagAt(offset, "Xing") || tagAt(offset, "Info"))
            return true;
    }
    return tagAt(36, "VBRI");
}

void putNumber(uchar* p, quint32 value)
{
    p[0] = uchar(value >> 24);
    p[1] = uchar(value >> 16);
    p[2] = uchar(value >> 8);
    p[3] = uchar(value);
}

// A frame of the stream's kind, without sound, holding the length header.
QByteArray headerFrame(QByteArrayView file, qint64 first, const Frame& frame, const std::vector<qint64>& starts,
                       qint64 audioBytes)
{
    // The lowest bitrate whose frame holds the header.
    const int needed = 4 + sideInfoBytes(frame) + kHeaderBytes;
    int index = 1;
    while (index < 14 && frameLength(frame.mpeg1(), index, frame.sampleRate, 0) < needed)
        ++index;
    QByteArray header(frameLength(frame.mpeg1(), index, frame.sampleRate, 0), '\0');
    uchar* p = reinterpret_cast<uchar*>(header.data());
    const uchar* original = bytes(file) + first;
    p[0] = 0xFF;
    p[1] = original[1] | 0x01;                            // no checksum
    p[2] = uchar(index << 4) | (original[2] & 0x0C);      // this bitrate, the stream's rate, no padding
    p[3] = original[3];                                   // the stream's channels
    uchar* tag = p + 4 + sideInfoBytes(frame);
    std::copy_n("Xing", 4, tag);
    putNumber(tag + 4, 0x7);   // frames, bytes and table given
    const qint64 total = header.size() + audioBytes;
    putNumber(tag + 8, quint32(starts.size()));
    putNumber(tag + 12, quint32(total));
    for (int k = 0; k < 100; ++k) {
        const qint64 start = header.size() + starts[starts.size() * k / 100] - first;
        tag[16 + k] = uchar(std::min<qint64>(255, start * 256 / total));
    }
    return header;
}

} // namespace

Mp3LengthHeader mp3LengthHeader(QByteArrayView file)
{
    const qint64 tags = leadingTags(file);
    const qint64 first = findFrames(file, tags, tags + kFirstFrameWithin, kFramesToTrust);
    if (first < 0)
        return {};
    const Frame firstFrame = *frameAt(file, first);
    if (tellsLength(file, first, firstFrame))
        return {};

    // Every frame of the stream, across anything in between that is not one
    // (damage, or a tag at the end).
    std::vector<qint64> starts;
    bool varies = false;
    qint64 at = first;
    qint64 end = first;
    while (at >= 0 && at + 4 <= file.size()) {
        const std::optional<Frame> frame = frameAt(file, at);
        if (!frame || !frame->sameStreamAs(firstFrame)) {
            at = findFrames(file, at + 1, file.size(), 3);
            continue;
        }
        starts.push_back(at);
        varies = varies || frame->bitrateIndex != firstFrame.bitrateIndex;
        at += frame->length;
        end = std::min(at, file.size());
    }
    if (!varies)
        return {};   // the length follows from the bitrate and the size
    return {headerFrame(file, first, firstFrame, starts, end - first), first};
}

} // namespace fw
