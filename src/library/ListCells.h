#pragma once

// Hidden cells of the program's lists, kept with each row beyond the
// visible columns, and the rows of deleted songs leaving the lists of songs.

#include <QPointer>
#include <optional>
#include <vector>

namespace fw {
class ListBox;
}

namespace ListCells {
constexpr int IDCell = 99;       // Songs.ID (the track editor: Track.ID), as text
constexpr int FoundCell = 98;    // "yes" when the song's audio file exists, else "no"
constexpr int LinkCell = 97;     // Songs.Link
constexpr int SortKeyCell = 96;  // the first fill's order: found songs first

// The selected row of a list of songs. An empty list only beeps and a list
// with no row selected asks "Please click on a song first."; both give -1.
int selectedSongRow(const fw::ListBox& list);
// The ID a row keeps in its IDCell; nothing when the cell holds no number.
std::optional<int> idOf(const fw::ListBox& list, int row);
// The FoundCell: "yes" when the song's audio file was found, else "no".
void setFound(fw::ListBox& list, int row, bool found);
bool found(const fw::ListBox& list, int row);

// From now on, the row of each song that song set-up deletes leaves this list
// at once, so that nothing done on the list reaches the next new song, which
// the database gives the deleted song's ID.
void dropDeletedSongs(fw::ListBox& list);

// Held while a list fills from songs read before: a song deleted meanwhile
// whose row the fill adds only after the delete leaves the list when the fill
// ends (the list may have closed by then).
class Filling {
public:
    explicit Filling(fw::ListBox& list);
    ~Filling();
    Filling(const Filling&) = delete;
    Filling& operator=(const Filling&) = delete;

private:
    QPointer<fw::ListBox> m_list;
    std::vector<int> m_deleted;
    QMetaObject::Connection m_heard;
};
} // namespace ListCells
