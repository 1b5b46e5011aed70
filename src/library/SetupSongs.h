#pragma once

// Song set-up: every song by title, artist and album; new songs, deleting a
// song with its track, export and import of song-script files, and the
// song information form for a song.

#include "framework/Controls.h"
#include "framework/ListBox.h"
#include "framework/Window.h"

#include <optional>

namespace SongScript {
struct Script;
}

class SetupSongs final : public fw::SharedWindow<SetupSongs> {
    Q_OBJECT
public:
    SetupSongs();

    void List_DoubleClick();
    void pbAddNewSong_Action();
    void pbDeleteSong_Action();
    void pbExport_Action();
    void pbImport_Open();
    void pbImport_DropObject(const fw::DragItem& item);
    void pbImport_Action();
    void pbHelp_Action();
    void pbEditSongInfo_Action();
    void pbEditSongTrack_Action();
    void SaveSettings();
    // Reads one song-script file into the database and this list.
    void ImportFile(const fw::FolderItem& f);

    fw::ListBox* List = nullptr;
    fw::PushButton* pbAddNewSong = nullptr;
    fw::PushButton* pbDeleteSong = nullptr;
    fw::PushButton* pbExport = nullptr;
    fw::PushButton* pbImport = nullptr;
    fw::PushButton* pbHelp = nullptr;
    fw::PushButton* pbEditSongInfo = nullptr;
    fw::PushButton* pbEditSongTrack = nullptr;

protected:
    void CreateControls() override;
    void Event_Open() override;
    void Event_Close() override;

private:
    int songIDOf(int row) const;
    void appendSongRow(const QString& title, const QString& artist, const QString& cd, qint64 id);
    // The song and its track in one transaction; the new ID, or nothing
    // when nothing was stored.
    std::optional<qint64> storeScript(const SongScript::Script& script);
};
