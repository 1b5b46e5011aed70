#pragma once

// The song information form: every field of one song, saved together; the
// audio file's location set at once by dropping the file on it. A new window
// for each use.

#include "library/EditContextMenu.h"

#include "framework/Controls.h"
#include "framework/Window.h"

#include <map>
#include <memory>
#include <vector>

namespace fw {
class RecordSet;
}

class SongInfo final : public fw::Window {
    Q_OBJECT
public:
    SongInfo();

    int SongID = 0;
    // False until Init has filled the fields: until then edits enable nothing.
    bool DoneLoading = false;

    // Loads the song; beeps and closes the window when there is no such song.
    void Init(int songID);
    // Any edit of a field: enables Save and Cancel once the form is loaded.
    void EditFieldHandler();
    void pbHelp_Action();
    void pbCancel_Action();
    void pbSave_Action();
    void stPath_Open();
    void stPath_DropObject(const fw::DragItem& item);
    bool stPath_MouseDown(int x, int y);
    void stPath_MouseUp(int x, int y);

    fw::EditField* efTitle = nullptr;
    fw::EditField* efArtist = nullptr;
    fw::EditField* efCD = nullptr;
    fw::EditField* efNotes = nullptr;
    fw::EditField* efLink = nullptr;
    fw::EditField* efBPM = nullptr;
    fw::EditField* efTestStart = nullptr;
    fw::EditField* efTestEnd = nullptr;
    fw::EditField* efInstall = nullptr;
    fw::EditField* efInstallLink = nullptr;
    fw::EditField* efSynch = nullptr;
    fw::PushButton* pbHelp = nullptr;
    fw::PushButton* pbCancel = nullptr;
    fw::PushButton* pbSave = nullptr;
    fw::StaticText* stPath = nullptr;
    fw::ContextualMenu* cmEdit = nullptr;
    std::unique_ptr<EditContextMenu> editMenu;

protected:
    void CreateControls() override;
    void Event_Open() override;

private:
    // An edit field and the Songs column it shows and writes.
    struct FieldColumn {
        fw::EditField* field;
        QString column;
        bool number;   // the test times: written as numbers
    };
    std::vector<FieldColumn> fieldColumns() const;
    // Each field's text as loaded or last saved: Save writes only the
    // fields that differ from it.
    std::map<const fw::EditField*, QString> m_savedTexts;
};
