#pragma once

// The track editor: the counts of one song, edited in place, played from any
// count, and changed by the tools on its tab panel (shift, add, delete,
// change speed, reduce beats). While the player plays, the editor follows it.

#include "framework/Controls.h"
#include "framework/Database.h"
#include "framework/ListBox.h"
#include "framework/Window.h"

#include <QHash>
#include <QString>
#include <optional>
#include <vector>

class Track final : public fw::SharedWindow<Track> {
    Q_OBJECT
public:
    Track();

    // A cell's text has changed since its in-place editing began.
    bool SaveCell = false;
    // The song whose track is shown; 0 until a track is loaded.
    QString TheSongTitle;
    int TheSongID = 0;

    // What Make Track tells when the tempo and length make no counts.
    static const QString kNoCountsToMake;

    void TrackList_DoubleClick();
    bool TrackList_CompareRows(int row1, int row2, int column, int& result);
    bool TrackList_CellTextPaint(fw::Graphics& g, int row, int column, int x, int y);
    void TrackList_CellTextChange(int row, int column);
    void TrackList_CellAction(int row, int column);
    bool TrackList_CellKeyDown(int row, int column, const QString& key);
    void TrackList_CellGotFocus(int row, int column);
    void pbPlayFrom_Action();
    void pbHelp_Action();
    void pbShift_Action();
    void pbAdd_Action();
    void pbDeleteBeats_Action();
    void pbChangeSpeed_Action();
    void pbReduceBeats_Action();

    // Shows the track of the song with this Songs.ID.
    void LoadTrack(int songID);
    // Makes the first row showing this count current and scrolls it to the top.
    void ScrollToCount(const QString& count);
    void SaveSettings();
    // Creates n counts numbered from firstCount, the first with firstBeat at
    // startTime, each further one interval seconds later, all at speed.
    void AddCounts(int firstBeat, int firstCount, int n, double startTime, double interval, double speed);
    void MakeFirstTrack(double bpm, int minutes, int seconds);
    // Song set-up has deleted a song: an editor on it closes.
    void songDeleted(int songID);

    fw::ListBox* TrackList = nullptr;
    fw::StaticText* stStatus = nullptr;
    fw::PushButton* pbPlayFrom = nullptr;
    fw::PushButton* pbHelp = nullptr;
    fw::TabPanel* TabPanel1 = nullptr;
    fw::RadioButton* rbForward = nullptr;
    fw::RadioButton* rbBackward = nullptr;
    fw::PushButton* pbShift = nullptr;
    fw::EditField* efShift = nullptr;
    fw::PushButton* pbAdd = nullptr;
    fw::EditField* efCounts = nullptr;
    fw::PushButton* pbDeleteBeats = nullptr;
    fw::PushButton* pbChangeSpeed = nullptr;
    fw::EditField* efSpeed = nullptr;
    fw::PushButton* pbReduceBeats = nullptr;
    fw::StaticText* st1 = nullptr;
    fw::StaticText* st2 = nullptr;
    fw::StaticText* st3 = nullptr;
    fw::StaticText* st4 = nullptr;
    fw::StaticText* st5 = nullptr;
    fw::StaticText* st6 = nullptr;
    fw::StaticText* st7 = nullptr;
    fw::StaticText* st8 = nullptr;
    fw::StaticText* st9 = nullptr;
    fw::StaticText* st10 = nullptr;

protected:
    void CreateControls() override;
    void Event_Open() override;
    void Event_Close() override;

private:
    // One selected count as it stood when a tool's button was pressed.
    struct PickedCount {
        int row;
        qint64 id;
    };
    // A count's cells as the list shows them.
    struct CountCells {
        QString count, time, beat, speed, note, advice, comment, id;
    };
    // A cell a tool changes, and the statement that stores the change.
    struct CellChange {
        qint64 id;
        int column;
        QString text;
        QString statement;
    };

    // False when the fill stopped early (window closed, another song asked for).
    bool LoadList();
    void loadSong(int songID);
    // A load asked for while the list filled runs now.
    void loadAskedFor();
    // Before a change: the edit open in a cell ends as a move to another
    // cell ends it. False, after a beep, while the list fills.
    bool readyToChange();
    // Before a tool acts on the selected rows: readyToChange, and the
    // selection is the user's. False after telling why not.
    bool readyToChangeSelected();
    std::vector<PickedCount> pickedCounts();
    // From a play of this song until the user's first selecting gesture, the
    // player owns the list's selection: it selects each count it lights.
    bool playerOwnsSelection() const;
    // A selecting gesture of the user's takes the selection over from the
    // player, and applies to a list in which the lit row is not selected;
    // true when it took it over. One made while the list fills keeps what
    // it selects when the fill ends.
    bool userSelects();
    // The time of the count before this row's in count order, whatever the
    // list's order; -1 for the first count.
    double timeOfCountBefore(int row) const;
    // Each listed row by its Track ID.
    QHash<qint64, int> rowsByID() const;
    // Runs the statements in one transaction and, once the track holds
    // them, shows the texts; a refused statement changes neither.
    bool writeCells(const std::vector<CellChange>& changes);
    // Takes the rows of counts deleted elsewhere out of the list; answers how
    // many went.
    int removeCountsGone(std::vector<qint64> ids);
    // The cells of a row as the table holds them, after a refused edit; as
    // they stood when the edit began when the table cannot be read.
    void restoreCount(int row, qint64 id);
    static CountCells cellsOf(fw::RecordSet& stored);
    CountCells cellsShown(int row) const;
    void showCells(int row, const CountCells& cells);
    void appendCount(const CountCells& cells);
    QString intervalText(int row) const;
    // BeatInterval of a Speed text, nothing when it is no speed.
    std::optional<double> intervalOfSpeed(const QString& speed);
    bool speedRunIsBlue(int row);

    bool m_filling = false;
    bool m_userSelectedWhileFilling = false;
    bool m_loadAsked = false;
    int m_songAskedFor = 0;
    // The play during which the user took the selection over (0: none).
    quint64 m_userRun = 0;
    // The row whose cell is being edited, as it stood when the edit began.
    std::optional<CountCells> m_editStart;
    // Speed runs from the top, kept while the list is unchanged.
    std::vector<bool> m_runBlue;
    quint64 m_runRevision = 0;
    QString m_lastSpeed;
    std::optional<double> m_lastInterval;
};
