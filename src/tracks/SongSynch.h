#pragma once

// Song synchronisation: moves every count of a song later or earlier against
// its audio file, and keeps the running total of those moves in the song's
// row, so that one button takes them all back.

#include "framework/Controls.h"
#include "framework/ListBox.h"
#include "framework/Window.h"

#include <QString>
#include <optional>

class SongSynch final : public fw::SharedWindow<SongSynch> {
    Q_OBJECT
public:
    SongSynch();

    void List_Change();
    void pbForward_Action();
    void pbBackward_Action();
    void pbRestore_Action();
    void pbHelp_Action();
    void LoadList();

    // The list answers selection changes only once it is filled.
    bool DoneLoading = false;

    fw::ListBox* List = nullptr;
    fw::PushButton* pbForward = nullptr;
    fw::EditField* efOffset = nullptr;
    fw::PushButton* pbBackward = nullptr;
    fw::PushButton* pbRestore = nullptr;
    fw::PushButton* pbHelp = nullptr;
    fw::StaticText* st1 = nullptr;
    fw::StaticText* stInstructions = nullptr;
    fw::StaticText* st2 = nullptr;
    fw::StaticText* st3 = nullptr;

protected:
    void CreateControls() override;
    void Event_Open() override;

private:
    // The selected song's ID; nothing after an empty list has beeped or the
    // user has been asked to pick a song.
    std::optional<int> selectedSong() const;
    // The offset as the statements write it ("000.00"); nothing after the
    // user has been told why the field cannot be used.
    std::optional<QString> offsetText() const;
    // sign: "+" moves the counts later, "-" earlier.
    void shift(const QString& sign);
};
