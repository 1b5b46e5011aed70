#pragma once

// Hidden cells of the program's lists, kept with each row beyond the
// visible columns.
namespace ListCells {
constexpr int IDCell = 99;       // Songs.ID (the track editor: Track.ID), as text
constexpr int FoundCell = 98;    // "yes" when the song's audio file exists, else "no"
constexpr int LinkCell = 97;     // Songs.Link
constexpr int SortKeyCell = 96;  // the first fill's order: found songs first
} // namespace ListCells
