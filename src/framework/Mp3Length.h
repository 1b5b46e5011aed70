#pragma once

// The length of an MP3 file whose frames vary in bitrate. Such a file tells
// its length only in a header that encoders may leave out; without it a
// player guesses the length from the bitrate of the first frames.

#include <QByteArray>
#include <QByteArrayView>

namespace fw {

struct Mp3LengthHeader {
    QByteArray frame;   // empty: the file needs none
    qint64 at = 0;      // where it goes: before the first frame of audio
};

// For MP3 audio (Layer III) whose frames vary in bitrate and that has no
// header telling its number of frames: the frame of such a header, as
// encoders write it first in the file, telling the number of frames, their
// bytes, and where each hundredth of the audio begins. Anything else (other
// formats, a file whose bitrate does not vary, one with such a header) needs
// none.
Mp3LengthHeader mp3LengthHeader(QByteArrayView file);

} // namespace fw
