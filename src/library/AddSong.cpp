#include "library/AddSong.h"

#include "core/Code.h"
#include "core/SongRow.h"

#include "framework/Database.h"
#include "framework/Platform.h"

AddSong::AddSong()
    : Window(QStringLiteral("AddSong"))
{
}

void AddSong::CreateControls()
{
    efInstructions = control<fw::EditField>(QStringLiteral("efInstructions"));
    efURL = control<fw::EditField>(QStringLiteral("efURL"));
    pbHelp = control<fw::PushButton>(QStringLiteral("pbHelp"));
    pbGo = control<fw::PushButton>(QStringLiteral("pbGo"));
    st1 = control<fw::StaticText>(QStringLiteral("st1"));
    cmEdit = control<fw::ContextualMenu>(QStringLiteral("cmEdit"));
    efInstructions->mouseDown = [this](int x, int y) { return efInstructions_MouseDown(x, y); };
    efURL->mouseDown = [this](int x, int y) { return efURL_MouseDown(x, y); };
    connect(pbHelp, &fw::PushButton::action, this, &AddSong::pbHelp_Action);
    connect(pbGo, &fw::PushButton::action, this, &AddSong::pbGo_Action);
    Code::closeWithSong(*this, [this] { return SongID; });
    editMenu = std::make_unique<EditContextMenu>(cmEdit, std::vector<fw::EditField*>{efInstructions, efURL});
}

void AddSong::Event_Open()
{
    fw::lowerTextSize({efInstructions, efURL, pbHelp, pbGo, st1});
}

void AddSong::Init(int songID)
{
    SongID = songID;
    const std::unique_ptr<fw::RecordSet> song = SongRow::select(songID);
    if (!song) {
        if (!Code::toldDatabaseFailure(Code::kReadFailed))
            fw::MsgBox(QStringLiteral("Couldn't find song info."));
        Close();
        return;
    }
    efInstructions->setText(song->Field(QStringLiteral("Install")).StringValue());
    efURL->setText(song->Field(QStringLiteral("InstallLink")).StringValue());
    if (efURL->text().isEmpty()) {
        efURL->setText(QStringLiteral("There is no direct link for this song."));
        efURL->setEnabled(false);
        pbGo->setEnabled(false);
    }
}

bool AddSong::efInstructions_MouseDown(int x, int y)
{
    Q_UNUSED(x);
    Q_UNUSED(y);
    return editMenu->field_MouseDown(efInstructions);
}

bool AddSong::efURL_MouseDown(int x, int y)
{
    Q_UNUSED(x);
    Q_UNUSED(y);
    return editMenu->field_MouseDown(efURL);
}

void AddSong::pbHelp_Action()
{
    fw::ShowURL(Code::sitePage(QStringLiteral("/melvaro/docs/add-song")));
}

// The link as it stands in the field, also when the user typed over it.
void AddSong::pbGo_Action()
{
    fw::ShowURL(efURL->text());
}
