#pragma once

// The two windows of fixed text that send the user to the song locations
// window: one song's file is missing (SongError), or no song's file is
// there at all (NoSongs).

#include "framework/Controls.h"
#include "framework/Window.h"

// What both windows do when they open: the text 2 points smaller, 10 pixels lower.
void openFileMessage(fw::Window& window);

// A song's audio file cannot be found: the song locations window comes up
// with the song's row selected, and the song-error window in front of it.
void showMissingSongFile(const QString& title);

class SongError final : public fw::SharedWindow<SongError> {
    Q_OBJECT
public:
    SongError() : SharedWindow(QStringLiteral("SongError")) {}

protected:
    void Event_Open() override { openFileMessage(*this); }
};

class NoSongs final : public fw::SharedWindow<NoSongs> {
    Q_OBJECT
public:
    NoSongs() : SharedWindow(QStringLiteral("NoSongs")) {}

protected:
    void Event_Open() override { openFileMessage(*this); }
};
