-- The song database as installed. The program never creates a table: the
-- installer builds this file, and every column the program's inserts leave
-- out takes the default given here.

CREATE TABLE Songs (
    ID          INTEGER PRIMARY KEY,
    Title       TEXT    NOT NULL DEFAULT '',
    Artist      TEXT    NOT NULL DEFAULT '',
    CD          TEXT    NOT NULL DEFAULT '',
    Link        TEXT    NOT NULL DEFAULT '',
    BPM         TEXT    NOT NULL DEFAULT '',
    Path        TEXT    NOT NULL DEFAULT '',
    Notes       TEXT    NOT NULL DEFAULT '',
    TestStart   REAL    NOT NULL DEFAULT 0.0,
    TestEnd     REAL    NOT NULL DEFAULT 0.0,
    Install     TEXT    NOT NULL DEFAULT '',
    InstallLink TEXT    NOT NULL DEFAULT '',
    Synch       TEXT    NOT NULL DEFAULT '',
    SynchHist   REAL    NOT NULL DEFAULT 0.0
);

-- TheCount has integer affinity so that a count imported as text still
-- compares, and orders the track, as a number.
CREATE TABLE Track (
    ID       INTEGER PRIMARY KEY,
    SongsID  INTEGER NOT NULL DEFAULT 0,
    TheCount INTEGER NOT NULL DEFAULT 0,
    TheTime  REAL    NOT NULL DEFAULT 0.0,
    Beat     INTEGER NOT NULL DEFAULT 0,
    Speed    REAL    NOT NULL DEFAULT 0.0,
    Note     TEXT    NOT NULL DEFAULT '',
    Advice   TEXT    NOT NULL DEFAULT '',
    Comment  TEXT    NOT NULL DEFAULT ''
);
CREATE INDEX TrackBySong ON Track (SongsID, TheCount);

-- One row. Booleans are written either as 1/0 through a field or as the
-- words 'True'/'False' by update statements; both read back as Booleans.
CREATE TABLE Settings (
    ID                  INTEGER PRIMARY KEY,
    BeatOn1357          BOOLEAN NOT NULL DEFAULT 0,
    UseQuickTime        BOOLEAN NOT NULL DEFAULT 'True',
    FirstRun            BOOLEAN NOT NULL DEFAULT 1,
    FeetOnOne           BOOLEAN NOT NULL DEFAULT 'True',
    FeetOnLady          BOOLEAN NOT NULL DEFAULT 'True',
    SongsTop            INTEGER NOT NULL DEFAULT 0,
    SongsLeft           INTEGER NOT NULL DEFAULT 0,
    SongsHeight         INTEGER NOT NULL DEFAULT 0,
    SongsWidth          INTEGER NOT NULL DEFAULT 0,
    SetupSongsTop       INTEGER NOT NULL DEFAULT 0,
    SetupSongsLeft      INTEGER NOT NULL DEFAULT 0,
    SetupSongsHeight    INTEGER NOT NULL DEFAULT 0,
    SetupSongsWidth     INTEGER NOT NULL DEFAULT 0,
    TrackTop            INTEGER NOT NULL DEFAULT 0,
    TrackLeft           INTEGER NOT NULL DEFAULT 0,
    TrackHeight         INTEGER NOT NULL DEFAULT 0,
    TrackWidth          INTEGER NOT NULL DEFAULT 0,
    TheCountTop         INTEGER NOT NULL DEFAULT 0,
    TheCountLeft        INTEGER NOT NULL DEFAULT 0,
    TheCountHeight      INTEGER NOT NULL DEFAULT 0,
    TheCountWidth       INTEGER NOT NULL DEFAULT 0,
    FeetTop             INTEGER NOT NULL DEFAULT 0,
    FeetLeft            INTEGER NOT NULL DEFAULT 0,
    SongLocationsTop    INTEGER NOT NULL DEFAULT 0,
    SongLocationsLeft   INTEGER NOT NULL DEFAULT 0,
    SongLocationsHeight INTEGER NOT NULL DEFAULT 0,
    SongLocationsWidth  INTEGER NOT NULL DEFAULT 0,
    TestTop             INTEGER NOT NULL DEFAULT 0,
    TestLeft            INTEGER NOT NULL DEFAULT 0,
    TestHeight          INTEGER NOT NULL DEFAULT 0,
    TestWidth           INTEGER NOT NULL DEFAULT 0
);
INSERT INTO Settings (ID) VALUES (1);
