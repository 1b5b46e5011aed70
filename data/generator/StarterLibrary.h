#pragma once

// The starter library the installer puts into the user's application-data
// folder: the song database, the demo songs' audio (synthesised here, not
// recorded) and the two foot pictures (drawn here).

#include <QImage>
#include <QString>
#include <QStringList>
#include <vector>

namespace starter {

struct Count {
    int theCount;       // running count number from 1
    double theTime;     // seconds from the start of the audio
    int beat;           // 1..8
    double speed;       // beats per minute
    QString note;
    QString advice;
    QString comment;
};

struct DemoSong {
    QString title, artist, cd, link, bpm, fileName, notes;
    double testStart = 0.0, testEnd = 0.0;
    QString install, installLink;
    bool audioShipped = true;      // false: the file is named but not installed
    double bpmValue = 0.0;
    double firstBeat = 0.0;        // time of count 1, seconds
    double lengthSeconds = 0.0;    // length of the synthesised audio
    int tonic = 45;                // MIDI note the bass line and chords are built on
    bool minorKey = false;
    std::vector<Count> track;      // the exact track: counts on the beats
};

// The demo songs with their exact tracks. lengthScale < 1 makes shorter songs
// (tests use short audio); the tracks follow the length.
std::vector<DemoSong> demoSongs(double lengthScale = 1.0);

// Writes the song's audio as a 16-bit mono WAV file; false on failure.
bool synthesiseSong(const DemoSong& song, const QString& wavPath);

// Writes a WAV file of the given length: clicks on the given beat times over
// a quiet tone. Tests and benchmarks use it for audio of their own.
bool writeClickTrack(const QString& wavPath, double lengthSeconds,
                     const std::vector<double>& clickTimes, int sampleRate = 22050);

// Draws the foot pictures (left foot 31 x 31, right foot 34 x 31) as BMP files
// LeftFoot.bmp and RightFoot.bmp.
bool drawFootPictures(const QString& folder);

// The same pictures in memory: a dark foot print on white, the right foot the
// mirror image of the left.
QImage leftFootPicture();
QImage rightFootPicture();

// Creates the database file from the schema, with the settings row
// (FirstRun true) and the given songs with bare file names in Path.
// Fails (false, with a message) when the file already exists.
bool createDatabase(const QString& dbPath, const std::vector<DemoSong>& songs,
                    QString* error = nullptr);

// Everything above into one folder: Melvaro.sdb, the shipped audio files,
// LeftFoot.bmp and RightFoot.bmp.
bool buildStarterLibrary(const QString& folder, double lengthScale = 1.0,
                         QString* error = nullptr);

// The schema text (compiled in from data/schema.sql).
QString schemaSql();

} // namespace starter
