#include "library/SongInfo.h"

#include "core/Code.h"
#include "core/FileTypes.h"
#include "core/SongRow.h"
#include "library/SongPath.h"
#include "library/Songs.h"

#include "framework/Database.h"
#include "framework/Format.h"
#include "framework/Platform.h"

SongInfo::SongInfo()
    : Window(QStringLiteral("SongInfo"))
{
}

void SongInfo::CreateControls()
{
    efTitle = control<fw::EditField>(QStringLiteral("efTitle"));
    efArtist = control<fw::EditField>(QStringLiteral("efArtist"));
    efCD = control<fw::EditField>(QStringLiteral("efCD"));
    efNotes = control<fw::EditField>(QStringLiteral("efNotes"));
    efLink = control<fw::EditField>(QStringLiteral("efLink"));
    efBPM = control<fw::EditField>(QStringLiteral("efBPM"));
    efTestStart = control<fw::EditField>(QStringLiteral("efTestStart"));
    efTestEnd = control<fw::EditField>(QStringLiteral("efTestEnd"));
    efInstall = control<fw::EditField>(QStringLiteral("efInstall"));
    efInstallLink = control<fw::EditField>(QStringLiteral("efInstallLink"));
    efSynch = control<fw::EditField>(QStringLiteral("efSynch"));
    pbHelp = control<fw::PushButton>(QStringLiteral("pbHelp"));
    pbCancel = control<fw::PushButton>(QStringLiteral("pbCancel"));
    pbSave = control<fw::PushButton>(QStringLiteral("pbSave"));
    stPath = control<fw::StaticText>(QStringLiteral("stPath"));
    cmEdit = control<fw::ContextualMenu>(QStringLiteral("cmEdit"));

    // The eleven fields behave alike: each edit goes to EditFieldHandler,
    // each press to the edit menu.
    std::vector<fw::EditField*> fields;
    for (const FieldColumn& fc : fieldColumns()) {
        fw::EditField* field = fc.field;
        connect(field, &fw::EditField::textChange, this, &SongInfo::EditFieldHandler);
        field->mouseDown = [this, field](int, int) { return editMenu->field_MouseDown(field); };
        fields.push_back(field);
    }
    connect(pbHelp, &fw::PushButton::action, this, &SongInfo::pbHelp_Action);
    connect(pbCancel, &fw::PushButton::action, this, &SongInfo::pbCancel_Action);
    connect(pbSave, &fw::PushButton::action, this, &SongInfo::pbSave_Action);
    connect(stPath, &fw::Control::dropObject, this, &SongInfo::stPath_DropObject);
    connect(stPath, &fw::Control::opened, this, &SongInfo::stPath_Open);
    stPath->mouseDown = [this](int x, int y) { return stPath_MouseDown(x, y); };
    stPath->mouseUp = [this](int x, int y) { stPath_MouseUp(x, y); };
    Code::closeWithSong(*this, [this] { return SongID; });
    // The menu binds cmEdit's Open and choice events to itself.
    editMenu = std::make_unique<EditContextMenu>(cmEdit, fields);
}

std::vector<SongInfo::FieldColumn> SongInfo::fieldColumns() const
{
    return {
        {efTitle, QStringLiteral("Title"), false},
        {efArtist, QStringLiteral("Artist"), false},
        {efCD, QStringLiteral("CD"), false},
        {efNotes, QStringLiteral("Notes"), false},
        {efLink, QStringLiteral("Link"), false},
        {efBPM, QStringLiteral("BPM"), false},
        {efTestStart, QStringLiteral("TestStart"), true},
        {efTestEnd, QStringLiteral("TestEnd"), true},
        {efInstall, QStringLiteral("Install"), false},
        {efInstallLink, QStringLiteral("InstallLink"), false},
        {efSynch, QStringLiteral("Synch"), false},
    };
}

void SongInfo::Event_Open()
{
    DoneLoading = false;
    // Every control but the menu bears text.
    for (fw::Control* c : controls()) {
        if (c != cmEdit)
            c->setTextSize(c->textSize() - 2);
    }
}

void SongInfo::Init(int songID)
{
    SongID = songID;
    const std::unique_ptr<fw::RecordSet> song = SongRow::select(SongID);
    if (!song) {
        if (!Code::toldDatabaseFailure(Code::kReadFailed))
            fw::Beep();   // no such song
        Close();
        return;
    }
    // These changes raise the fields' edits while DoneLoading is still
    // false, so loading enables nothing.
    for (const FieldColumn& fc : fieldColumns()) {
        fc.field->setText(song->Field(fc.column).StringValue());
        m_savedTexts[fc.field] = fc.field->text();
    }
    stPath->setText(song->Field(QStringLiteral("Path")).StringValue());
    DoneLoading = true;
}

void SongInfo::EditFieldHandler()
{
    if (!DoneLoading)
        return;
    pbCancel->setEnabled(true);
    pbSave->setEnabled(true);
}

void SongInfo::pbHelp_Action()
{
    fw::ShowURL(Code::sitePage(QStringLiteral("/melvaro/song-info")));
}

// Unsaved edits are dropped; a location stored by a drop stays stored.
void SongInfo::pbCancel_Action()
{
    Close();
}

// Save writes the fields the user changed since they were loaded or last
// saved, each as it stands, and nothing else: what they did not change
// keeps what is stored, also where another form or window has changed it
// since, or where a field shows it otherwise (a test time to 15 digits).
// The location is stored by its drop.
void SongInfo::pbSave_Action()
{
    const std::unique_ptr<fw::RecordSet> song = SongRow::selectToChange(SongID);
    if (!song)
        return;
    std::vector<FieldColumn> changed;
    for (const FieldColumn& fc : fieldColumns()) {
        if (fc.field->text() != m_savedTexts[fc.field])
            changed.push_back(fc);
    }
    const bool written = changed.empty() || song->editInTransaction([&] {
        for (const FieldColumn& fc : changed) {
            if (fc.number)
                song->Field(fc.column).setDoubleValue(fw::CDbl(fc.field->text()));
            else
                song->Field(fc.column).setStringValue(fc.field->text());
        }
    });
    // Save stays offered while nothing was saved, and the typed values stay.
    if (!written) {
        Code::toldDatabaseFailure(QStringLiteral("Could not save the song. Error: "));
        return;
    }
    for (const FieldColumn& fc : changed)
        m_savedTexts[fc.field] = fc.field->text();
    pbCancel->setEnabled(false);
    pbSave->setEnabled(false);
}

void SongInfo::stPath_Open()
{
    stPath->acceptFileDrop(FileTypes::pSpecialAny);
}

// The dropped file becomes the song's location at once, apart from Save.
void SongInfo::stPath_DropObject(const fw::DragItem& item)
{
    const std::unique_ptr<fw::RecordSet> song = SongRow::selectToChange(SongID);
    if (!song)
        return;
    const QString path = item.folderItem.absolutePath();
    if (!SongRow::storePath(*song, path))
        return;   // the label keeps showing what is stored
    stPath->setText(path);
    stPath->refresh();
    if (Code::SongsOpen)
        Songs::instance().ReloadList();
}

bool SongInfo::stPath_MouseDown(int x, int y)
{
    Q_UNUSED(x);
    Q_UNUSED(y);
    return true;   // so that the label also gets the release
}

void SongInfo::stPath_MouseUp(int x, int y)
{
    Q_UNUSED(x);
    Q_UNUSED(y);
    const QString location = stPath->text();
    if (location.isEmpty()) {
        fw::MsgBox(QStringLiteral("Please drag-and-drop a song from your desktop first."));
        return;
    }
    SongPath::openFolder(SongPath::folderOf(location));
}
