#include "library/SetupSongs.h"

#include "core/Code.h"
#include "core/FileTypes.h"
#include "core/SongRow.h"
#include "core/WindowPlace.h"
#include "library/ListCells.h"
#include "library/SongInfo.h"
#include "library/SongScript.h"
#include "tracks/Track.h"

#include "framework/Application.h"
#include "framework/Database.h"
#include "framework/Platform.h"

#include <QFileInfo>
#include <QPointer>
#include <QScopeGuard>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>
#include <optional>
#include <vector>

using ListCells::IDCell;

namespace {
const QString kPlaceKey = QStringLiteral("SetupSongs");
const QString kTitle = QStringLiteral("Corvantis");
const QString kNewTitle = QStringLiteral("New Song");
const QString kNewArtist = QStringLiteral("Click the Edit Song Info button");
const QString kNewCD = QStringLiteral("and fill in the info for this song.");
const QString kAddFailed = QStringLiteral("Error when trying to add new song: ");
const QString kSongFailed = QStringLiteral("Could not create song record. Error: ");
const QString kTrackFailed = QStringLiteral("Could not create Track record. Error: ");
const QString kDeleteFailed = QStringLiteral("Could not delete the song. Error: ");

bool confirmed(const QString& question)
{
    return fw::Ask(question, kTitle, fw::MsgButtons::OkCancel, fw::MsgIcon::Caution) == fw::MsgAnswer::Ok;
}

// A value as the database writes it, unless it is a number whose 15 digits
// read back as another (0.30000000000000004 is written "0.3", the largest
// number as one past it): that one is written in the fewest digits that
// read back as itself, so that every number a song holds imports back.
QString exportText(const fw::DatabaseField& field)
{
    const QString text = field.StringValue();
    if (!field.isNumber())
        return text;
    const double value = field.DoubleValue();
    if (std::strtod(text.toLatin1().constData(), nullptr) == value)
        return text;
    std::array<char, 32> digits {};
    const std::to_chars_result written = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    return QString::fromLatin1(digits.data(), written.ptr - digits.data());
}

QStringList valuesOf(fw::RecordSet& row, const QStringList& columns)
{
    QStringList values;
    for (const QString& column : columns)
        values << exportText(row.Field(column));
    return values;
}

// The name the song's file gets on the desktop: the title, made a name that
// the file system takes and the desktop shows, with " 2", " 3" ... after it
// for a second, third ... file of that title. "/" and control characters
// cannot stand in a name, a leading dot would hide the file, and a name holds
// at most 255 bytes.
QString exportFileName(const QString& title, int copy)
{
    constexpr qsizetype kMaxNameBytes = 255;
    const QString ending = (copy > 1 ? QLatin1Char(' ') + QString::number(copy) : QString()) + QStringLiteral(".txt");
    QString name;
    for (const QChar c : title) {
        if (c == QLatin1Char('/'))
            name += QLatin1Char('-');
        else if (c.category() == QChar::Other_Control)
            name += QLatin1Char(' ');
        else
            name += c;
    }
    while (name.startsWith(QLatin1Char('.')))
        name.remove(0, 1);
    if (name.trimmed().isEmpty())
        name = QStringLiteral("Untitled");
    // Whole characters, as many as fit with the ending.
    qsizetype bytes = ending.size();
    for (qsizetype k = 0; k < name.size(); ++k) {
        const bool pair = name[k].isHighSurrogate() && k + 1 < name.size() && name[k + 1].isLowSurrogate();
        const char16_t c = name[k].unicode();
        bytes += pair ? 4 : (c < 0x80 ? 1 : (c < 0x800 ? 2 : 3));
        if (bytes > kMaxNameBytes) {
            name.truncate(k);
            break;
        }
        if (pair)
            ++k;
    }
    return name + ending;
}

// The title, artist and album lines of the library's songs other than the
// one of this ID; nothing where the library cannot be read.
std::optional<std::vector<QStringList>> identitiesBesides(const QString& id)
{
    const std::unique_ptr<fw::RecordSet> songs
        = Code::db->SQLSelect(QStringLiteral("Select Title, Artist, CD From Songs Where ID <> ") + id);
    if (!songs)
        return std::nullopt;
    const QStringList columns = SongScript::kSongColumns.mid(0, 3);
    std::vector<QStringList> identities;
    for (; !songs->eof(); songs->MoveNext())
        identities.push_back(SongScript::identityOf(valuesOf(*songs, columns)));
    return identities;
}

// The desktop file a song's export writes, and the files of its name before
// it that stay. Titles that differ can make one name ("AC/DC" and "AC-DC"),
// so a file already there is replaced only when it is this song's earlier
// export: one that carries its title, artist and album; else, where none
// does, an empty one, one that an export writing over it left cut short
// (which nothing reads), or one of its title whose artist and album no song
// carries any more (this song's, since edited). Anything else of that name
// is kept and the export takes the next name free. Not valid() when no name
// can be made.
struct ExportTarget {
    fw::FolderItem file;
    QStringList kept;   // the names taken before it
};
ExportTarget exportFile(const QString& title, const QStringList& song, const QString& id)
{
    constexpr int kMaxCopies = 999;
    const fw::FolderItem desktop = fw::SpecialFolder::Desktop();
    const QStringList own = SongScript::identityOf(song);
    std::vector<std::pair<fw::FolderItem, std::optional<QStringList>>> taken;
    QStringList names;
    fw::FolderItem free;
    for (int copy = 1; copy <= kMaxCopies; ++copy) {
        const fw::FolderItem file = desktop.child(exportFileName(title, copy));
        if (!file.valid())
            return {};
        if (!file.exists()) {
            free = file;
            break;
        }
        const std::optional<QStringList> identity
            = file.isDirectory() ? std::nullopt : SongScript::identityIn(file.posixPath());
        if (identity == own)
            return {file, names};
        taken.emplace_back(file, identity);
        names << file.name();
    }
    // A file of this title is stale where no other song carries its lines;
    // a library that cannot be read keeps it.
    const auto ofTitle = [&](const std::optional<QStringList>& identity) {
        return identity && identity->first() == own.first();
    };
    const bool titled
        = std::any_of(taken.cbegin(), taken.cend(), [&](const auto& file) { return ofTitle(file.second); });
    const std::optional<std::vector<QStringList>> others
        = titled ? identitiesBesides(id) : std::optional<std::vector<QStringList>>();
    for (size_t k = 0; k < taken.size(); ++k) {
        const auto& [file, identity] = taken[k];
        const QFileInfo info(file.posixPath());
        const bool stale
            = ofTitle(identity) && others && std::find(others->cbegin(), others->cend(), *identity) == others->cend();
        if (info.isFile() && (info.size() == 0 || stale || fw::FileWriter::cutShort(file.posixPath())))
            return {file, names.mid(0, qsizetype(k))};
    }
    return {free, names};
}

// The bytes the song's file takes, counted no further than past the largest
// a song-script may take; the track's rows are read again from the first.
qint64 exportBytes(const QStringList& song, fw::RecordSet& track)
{
    qint64 bytes = SongScript::Writer::songBytes(song);
    for (; !track.eof() && bytes <= SongScript::kMaxFileBytes; track.MoveNext())
        bytes += SongScript::Writer::trackRowBytes(valuesOf(track, SongScript::kTrackColumns));
    track.MoveFirst();
    return bytes;
}

// What a select that gave no rows means: the database's failure, told with
// its text, or (an empty text) no such row.
QString failureOfSelect(const QString& whatFailed)
{
    if (!Code::db->Error())
        return QString();
    return whatFailed + Code::db->ErrorMessage();
}
} // namespace

SetupSongs::SetupSongs()
    : SharedWindow(QStringLiteral("SetupSongs"))
{
}

void SetupSongs::CreateControls()
{
    List = control<fw::ListBox>(QStringLiteral("List"));
    pbAddNewSong = control<fw::PushButton>(QStringLiteral("pbAddNewSong"));
    pbDeleteSong = control<fw::PushButton>(QStringLiteral("pbDeleteSong"));
    pbExport = control<fw::PushButton>(QStringLiteral("pbExport"));
    pbImport = control<fw::PushButton>(QStringLiteral("pbImport"));
    pbHelp = control<fw::PushButton>(QStringLiteral("pbHelp"));
    pbEditSongInfo = control<fw::PushButton>(QStringLiteral("pbEditSongInfo"));
    pbEditSongTrack = control<fw::PushButton>(QStringLiteral("pbEditSongTrack"));
    ListCells::dropDeletedSongs(*List);
    connect(List, &fw::ListBox::doubleClick, this, &SetupSongs::List_DoubleClick);
    connect(pbAddNewSong, &fw::PushButton::action, this, &SetupSongs::pbAddNewSong_Action);
    connect(pbDeleteSong, &fw::PushButton::action, this, &SetupSongs::pbDeleteSong_Action);
    connect(pbExport, &fw::PushButton::action, this, &SetupSongs::pbExport_Action);
    connect(pbImport, &fw::Control::opened, this, &SetupSongs::pbImport_Open);
    connect(pbImport, &fw::Control::dropObject, this, &SetupSongs::pbImport_DropObject);
    connect(pbImport, &fw::PushButton::action, this, &SetupSongs::pbImport_Action);
    connect(pbHelp, &fw::PushButton::action, this, &SetupSongs::pbHelp_Action);
    connect(pbEditSongInfo, &fw::PushButton::action, this, &SetupSongs::pbEditSongInfo_Action);
    connect(pbEditSongTrack, &fw::PushButton::action, this, &SetupSongs::pbEditSongTrack_Action);
}

// ---- the list and the song buttons -------------------------------------------

void SetupSongs::List_DoubleClick()
{
    pbEditSongTrack_Action();
}

void SetupSongs::pbAddNewSong_Action()
{
    qint64 id = 0;
    const bool added = Code::db->transaction([&] {
        Code::db->SQLExecute(QStringLiteral("Insert Into Songs (Title,Artist,CD) Values (%1, %2, %3)")
                                 .arg(fw::sqlQuoted(kNewTitle), fw::sqlQuoted(kNewArtist), fw::sqlQuoted(kNewCD)));
        id = Code::db->LastRowID();
        return true;
    });
    if (!added) {
        fw::MsgBox(kAddFailed + Code::db->ErrorMessage());
        return;
    }
    appendSongRow(kNewTitle, kNewArtist, kNewCD, id);
    List->setListIndex(List->LastIndex());
    List->refresh();
}

void SetupSongs::pbDeleteSong_Action()
{
    const int row = ListCells::selectedSongRow(*List);
    if (row < 0)
        return;
    const QString title = List->Cell(row, 0);
    const int songID = songIDOf(row);
    const QString id = QString::number(songID);
    if (!confirmed(QStringLiteral("Delete ") + title + QStringLiteral("?")))
        return;
    if (!confirmed(QStringLiteral("Really delete ") + title
                   + QStringLiteral("? This action cannot be undone, and will delete the song track.")))
        return;
    // A delete the database refuses (a locked file) is undone whole and told,
    // and the song stays listed.
    const bool deleted = Code::db->transaction([&] {
        Code::db->SQLExecute(QStringLiteral("Delete From Track Where SongsID=") + id);
        if (!Code::db->Error())
            Code::db->SQLExecute(QStringLiteral("Delete From Songs Where ID=") + id);
        return true;
    });
    if (!deleted) {
        fw::MsgBox(kDeleteFailed + Code::db->ErrorMessage());
        return;
    }
    // Every list of songs, this one too, drops the song's row.
    emit Code::notices().songDeleted(songID);
    List->setListIndex(-1);
}

void SetupSongs::pbHelp_Action()
{
    fw::ShowURL(Code::sitePage(QStringLiteral("/melvaro/docs/setup-songs")));
}

void SetupSongs::pbEditSongInfo_Action()
{
    const int row = ListCells::selectedSongRow(*List);
    if (row < 0)
        return;
    SongInfo& form = fw::newWindow<SongInfo>();
    form.Show();
    form.Init(songIDOf(row));
}

void SetupSongs::pbEditSongTrack_Action()
{
    const int row = ListCells::selectedSongRow(*List);
    if (row < 0)
        return;
    Track& editor = Track::instance();
    editor.Show();
    editor.LoadTrack(songIDOf(row));
}

// ---- export ------------------------------------------------------------------

void SetupSongs::pbExport_Action()
{
    // An export yields while it writes its track. A second one begun then
    // would run inside the first, which waits until it has ended and been
    // told, and could take a file name that the first chose but has not yet
    // written: a press meanwhile only beeps.
    static bool exporting = false;
    if (exporting) {
        fw::Beep();
        return;
    }
    exporting = true;
    const auto ended = qScopeGuard([] { exporting = false; });
    const int row = ListCells::selectedSongRow(*List);
    if (row < 0)
        return;
    // The song and its track are read before the file is made: an export
    // the database refuses must not replace an earlier file with an empty one.
    const std::unique_ptr<fw::RecordSet> song
        = SongRow::select(songIDOf(row), QStringLiteral("Select * from Songs where ID = "));
    if (!song) {
        const QString failure = failureOfSelect(QStringLiteral("Couldn't read the song record. Error: "));
        fw::MsgBox(failure.isEmpty() ? QStringLiteral("Couldn't find song record.") : failure);
        return;
    }
    const std::unique_ptr<fw::RecordSet> track = Code::db->SQLSelect(
        QStringLiteral("Select * From Track Where SongsID = ") + song->Field(QStringLiteral("ID")).StringValue());
    if (!track) {
        fw::MsgBox(failureOfSelect(QStringLiteral("Couldn't read the song's track. Error: ")));
        return;
    }
    // A file that Import would not read is not written, nor anything else.
    const QStringList songValues = valuesOf(*song, SongScript::kSongColumns);
    if (exportBytes(songValues, *track) > SongScript::kMaxFileBytes) {
        fw::MsgBox(QStringLiteral("Couldn't export the song: its file would be larger than %1 MB, the largest "
                                  "song-script that Import reads.")
                       .arg(SongScript::kMaxFileBytes / (1024 * 1024)));
        return;
    }
    // Many homes have no desktop folder: the one the desktop's settings
    // name is made.
    const fw::FolderItem desktop = fw::SpecialFolder::Desktop();
    QString problem;
    if (desktop.valid() && !desktop.isDirectory() && !desktop.createAsFolder(&problem)) {
        fw::MsgBox(QStringLiteral("Couldn't create the desktop folder %1: %2.").arg(desktop.posixPath(), problem));
        return;
    }
    const QString title = List->Cell(row, 0);
    const auto [file, kept] = exportFile(title, songValues, song->Field(QStringLiteral("ID")).StringValue());
    if (!file.valid()) {
        fw::MsgBox(QStringLiteral("Couldn't create the file."));
        return;
    }
    SongScript::Writer writer;
    if (!writer.create(file.posixPath())) {
        fw::MsgBox(QStringLiteral("Couldn't create the file: ") + writer.problem() + QLatin1Char('.'));
        return;
    }
    writer.writeSong(songValues);
    // A song without a track still gives its eleven lines.
    const bool noTrack = track->eof();
    // The rows were read whole by the select: the loop needs nothing of this
    // window, which may close while it yields.
    for (; !track->eof(); track->MoveNext()) {
        writer.writeTrackRow(valuesOf(*track, SongScript::kTrackColumns));
        fw::YieldToEventLoop();
    }
    // Only a file written whole replaces the earlier one, and only then is
    // it told written.
    if (!writer.close()) {
        fw::MsgBox(QStringLiteral("Couldn't write the file: ") + writer.problem() + QLatin1Char('.'));
        return;
    }
    if (noTrack) {
        fw::MsgBox(QStringLiteral("Couldn't find track data."));
        return;
    }
    QString told = QStringLiteral("File created on desktop: ") + file.name();
    if (kept.size() == 1)
        told += QStringLiteral("\nThe desktop already holds a different file named ") + kept.first()
            + QStringLiteral(", which was kept.");
    else if (kept.size() > 1)
        told += QStringLiteral("\nThe desktop already holds different files named ")
            + kept.mid(0, kept.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") + kept.last()
            + QStringLiteral(", which were kept.");
    if (writer.changedTabs())
        told += QStringLiteral("\nA TAB inside a value of the track was written as a space, since TABs "
                               "separate the values of a track line.");
    fw::MsgBox(told);
}

// ---- import ------------------------------------------------------------------

void SetupSongs::pbImport_Open()
{
    pbImport->acceptFileDrop(FileTypes::pSpecialAny);
}

void SetupSongs::pbImport_DropObject(const fw::DragItem& item)
{
    if (!item.folderItem.valid() || item.folderItem.isDirectory()) {
        fw::Beep();
        return;
    }
    ImportFile(item.folderItem);
}

void SetupSongs::pbImport_Action()
{
    const fw::FolderItem f = fw::GetOpenFolderItem(FileTypes::pSpecialAny);
    if (f.valid())
        ImportFile(f);
}

// The whole file is read and checked before anything is stored, and the
// song with its track is stored in one transaction: a damaged file or a
// failed insert leaves the database and the list as they were.
void SetupSongs::ImportFile(const fw::FolderItem& f)
{
    if (!f.name().endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive)) {
        fw::MsgBox(QStringLiteral("This does not appear to be a song file. The filename should end with: .txt"));
        return;
    }
    const SongScript::Reading reading = SongScript::read(f.posixPath());
    if (!reading.script) {
        fw::MsgBox(reading.problem);
        return;
    }
    const SongScript::Script& script = *reading.script;
    const QString& title = script.song.at(0);
    const std::unique_ptr<fw::RecordSet> same
        = Code::db->SQLSelect(QStringLiteral("Select * From Songs where Title=") + fw::sqlQuoted(title));
    if (!same) {
        // A failed check does not show that no song has this title.
        fw::MsgBox(failureOfSelect(QStringLiteral("Couldn't look for a song of the same title. Error: ")));
        return;
    }
    if (!same->eof()
        && !confirmed(QStringLiteral("A song named '") + title
                      + QStringLiteral("' already exists in the database. You can have more than one song with the "
                                       "same name. Do you want to import this song?")))
        return;
    const std::optional<qint64> id = storeScript(script);
    if (!id)
        return;
    appendSongRow(title, script.song.at(1), script.song.at(2), *id);
    // A song read back from a file whose values took more lines is told so.
    fw::MsgBox(reading.notice.isEmpty() ? QStringLiteral("Song imported OK.") : reading.notice);
}

// No yield while the transaction is open: another window's "BEGIN" and
// commit would otherwise run inside it and commit half a song.
std::optional<qint64> SetupSongs::storeScript(const SongScript::Script& script)
{
    fw::DatabaseRecord song;
    for (qsizetype k = 0; k < SongScript::kSongColumns.size(); ++k)
        song.Column(SongScript::kSongColumns[k], script.song.at(k));
    qint64 id = 0;
    const QString* failure = &kSongFailed;
    const bool stored = Code::db->transaction([&] {
        Code::db->InsertRecord(QStringLiteral("Songs"), song);
        if (Code::db->Error())
            return false;
        id = Code::db->LastRowID();
        failure = &kTrackFailed;
        for (size_t r = 0; r < script.trackRows(); ++r) {
            const QStringList values = script.trackRow(r);
            fw::DatabaseRecord row;
            row.IntegerColumn(QStringLiteral("SongsID"), id);
            for (qsizetype k = 0; k < SongScript::kTrackColumns.size(); ++k)
                row.Column(SongScript::kTrackColumns[k], values.at(k));
            Code::db->InsertRecord(QStringLiteral("Track"), row);
            if (Code::db->Error())
                return false;
        }
        failure = &kSongFailed;   // the commit
        return true;
    });
    if (!stored) {
        fw::MsgBox(*failure + Code::db->ErrorMessage());
        return std::nullopt;
    }
    return id;
}

// ---- opening and closing -------------------------------------------------------

void SetupSongs::Event_Open()
{
    fw::lowerTextSize({List, pbAddNewSong, pbDeleteSong, pbEditSongInfo, pbEditSongTrack, pbExport, pbImport, pbHelp});
    List->setHeadings(QStringLiteral("Song\tArtist\tCD\t"));
    List->setColumnWidths(QStringLiteral("241,241,241"));
    List->setColumnAlignment(0, fw::Alignment::Left);
    const QPointer<SetupSongs> alive(this);
    const std::unique_ptr<fw::RecordSet> songs
        = Code::db->SQLSelect(QStringLiteral("Select * From Songs Order by Title"));
    if (!songs)
        Code::toldDatabaseFailure(Code::kReadFailed);   // the list stays empty
    for (; songs && !songs->eof(); songs->MoveNext()) {
        appendSongRow(songs->Field(QStringLiteral("Title")).StringValue(),
                      songs->Field(QStringLiteral("Artist")).StringValue(),
                      songs->Field(QStringLiteral("CD")).StringValue(),
                      songs->Field(QStringLiteral("ID")).IntegerValue());
        fw::YieldToEventLoop();
        if (!alive || isClosed())
            return;   // the user closed the window while it filled
    }
    List->setListIndex(0);
    WindowPlace::restore(*this, kPlaceKey);
}

void SetupSongs::Event_Close()
{
    SaveSettings();
}

void SetupSongs::SaveSettings()
{
    WindowPlace::save(*this, kPlaceKey, true);
}

// ---- helpers -------------------------------------------------------------------

int SetupSongs::songIDOf(int row) const
{
    // A cell that holds no number names no song (no song has ID 0).
    return ListCells::idOf(*List, row).value_or(0);
}

void SetupSongs::appendSongRow(const QString& title, const QString& artist, const QString& cd, qint64 id)
{
    List->AddRow(title);
    const int row = List->LastIndex();
    List->setCell(row, 1, artist);
    List->setCell(row, 2, cd);
    List->setCell(row, IDCell, QString::number(id));
}
