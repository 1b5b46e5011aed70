#pragma once

// How to obtain a song's audio file: the song's instructions and a link,
// with Go to open it. A new window for each use.

#include "library/EditContextMenu.h"

#include "framework/Controls.h"
#include "framework/Window.h"

#include <memory>

class AddSong final : public fw::Window {
    Q_OBJECT
public:
    AddSong();

    int SongID = 0;
    // Shows the song; closes the window when there is no such song.
    void Init(int songID);

    bool efInstructions_MouseDown(int x, int y);
    bool efURL_MouseDown(int x, int y);
    void pbHelp_Action();
    void pbGo_Action();

    fw::EditField* efInstructions = nullptr;
    fw::EditField* efURL = nullptr;
    fw::PushButton* pbHelp = nullptr;
    fw::PushButton* pbGo = nullptr;
    fw::StaticText* st1 = nullptr;
    fw::ContextualMenu* cmEdit = nullptr;
    std::unique_ptr<EditContextMenu> editMenu;

protected:
    void CreateControls() override;
    void Event_Open() override;
};
