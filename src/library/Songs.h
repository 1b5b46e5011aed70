#pragma once

// The song list: every song with its tempo, artist and album, the songs
// whose audio file is missing in red, the selected song's notes, and Play,
// Add Song and Artist Info.

#include "core/SongRow.h"

#include "framework/Controls.h"
#include "framework/ListBox.h"
#include "framework/Window.h"

#include <memory>
#include <optional>
#include <vector>

namespace fw {
class RecordSet;
}

class Songs final : public fw::SharedWindow<Songs> {
    Q_OBJECT
public:
    Songs();

    // False until the window has filled its list and restored its place:
    // until then the list must not react to its own filling.
    bool DoneLoading = false;

    void SongList_DoubleClick();
    void SongList_Change();
    bool SongList_CellTextPaint(fw::Graphics& g, int row, int column, int x, int y);
    bool SongList_CompareRows(int row1, int row2, int column, int& result);
    void pbPlay_Action();
    void pbAdd_Action();
    void pbArtistInfo_Action();
    void LoadList();
    void SaveSettings();
    // Empties the list, fills it again and selects its first row. A fill
    // under way (the window's first, or another reload's) stops: this one
    // replaces it.
    void ReloadList();

    fw::ListBox* SongList = nullptr;
    // Its caption is the play state: "Play", or "Stop" while a song started
    // here plays. The player sets it back to "Play".
    fw::PushButton* pbPlay = nullptr;
    fw::PushButton* pbAdd = nullptr;
    fw::PushButton* pbArtistInfo = nullptr;
    fw::EditField* efNotes = nullptr;

protected:
    void CreateControls() override;
    void Event_Open() override;
    void Event_Close() override;

private:
    void setUpColumns();
    // The song of a row, read again by its IDCell; null when there is none.
    std::unique_ptr<fw::RecordSet> selectSong(int row, const QString& statement = SongRow::kSelectSong) const;
    // A row's SortKeyCell as a number.
    int sortKey(int row);
    void showNoSongs();
    void playFirstFoundSong();

    quint64 m_fills = 0;   // counts the fills begun: a fill whose number is no longer the last was replaced
    std::vector<int> m_sortKeys;   // by row, as the cells stood at m_sortKeysRevision
    quint64 m_sortKeysRevision = ~quint64(0);
};
