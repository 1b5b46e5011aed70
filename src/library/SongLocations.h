#pragma once

// Every song with the location of its audio file; a file dropped on a row
// becomes that song's location, a double-click opens the song's folder.

#include "framework/Controls.h"
#include "framework/ListBox.h"
#include "framework/Window.h"

class SongLocations final : public fw::SharedWindow<SongLocations> {
    Q_OBJECT
public:
    SongLocations();

    bool SongList_CellTextPaint(fw::Graphics& g, int row, int column, int x, int y);
    bool SongList_CellBackgroundPaint(fw::Graphics& g, int row, int column);
    void SongList_Open();
    void SongList_DropObject(const fw::DragItem& item);
    void SongList_DoubleClick();
    void LoadList();
    void SaveSettings();
    // Selects the first row whose title equals title; no row when none does.
    void ScrollToSong(const QString& title);

    fw::ListBox* SongList = nullptr;
    fw::StaticText* st1 = nullptr;

protected:
    void CreateControls() override;
    void Event_Open() override;
    void Event_Close() override;
};
