#include "tracks/Track.h"

#include "core/Code.h"

Track::Track()
    : SharedWindow(QStringLiteral("Track"))
{
}

void Track::CreateControls()
{
    TrackList = control<fw::ListBox>(QStringLiteral("TrackList"));
    stStatus = control<fw::StaticText>(QStringLiteral("stStatus"));
    pbPlayFrom = control<fw::PushButton>(QStringLiteral("pbPlayFrom"));
    pbHelp = control<fw::PushButton>(QStringLiteral("pbHelp"));
    TabPanel1 = control<fw::TabPanel>(QStringLiteral("TabPanel1"));
    rbForward = control<fw::RadioButton>(QStringLiteral("rbForward"));
    rbBackward = control<fw::RadioButton>(QStringLiteral("rbBackward"));
    pbShift = control<fw::PushButton>(QStringLiteral("pbShift"));
    efShift = control<fw::EditField>(QStringLiteral("efShift"));
    pbAdd = control<fw::PushButton>(QStringLiteral("pbAdd"));
    efCounts = control<fw::EditField>(QStringLiteral("efCounts"));
    pbDeleteBeats = control<fw::PushButton>(QStringLiteral("pbDeleteBeats"));
    pbChangeSpeed = control<fw::PushButton>(QStringLiteral("pbChangeSpeed"));
    efSpeed = control<fw::EditField>(QStringLiteral("efSpeed"));
    pbReduceBeats = control<fw::PushButton>(QStringLiteral("pbReduceBeats"));
    st1 = control<fw::StaticText>(QStringLiteral("st1"));
    st2 = control<fw::StaticText>(QStringLiteral("st2"));
    st3 = control<fw::StaticText>(QStringLiteral("st3"));
    st4 = control<fw::StaticText>(QStringLiteral("st4"));
    st5 = control<fw::StaticText>(QStringLiteral("st5"));
    st6 = control<fw::StaticText>(QStringLiteral("st6"));
    st7 = control<fw::StaticText>(QStringLiteral("st7"));
    st8 = control<fw::StaticText>(QStringLiteral("st8"));
    st9 = control<fw::StaticText>(QStringLiteral("st9"));
    st10 = control<fw::StaticText>(QStringLiteral("st10"));
}

void Track::Event_Open()
{
    Code::TrackOpen = true;
}

void Track::Event_Close()
{
    Code::TrackOpen = false;
}

void Track::TrackList_DoubleClick() {}
bool Track::TrackList_CompareRows(int, int, int, int&) { return false; }
bool Track::TrackList_CellTextPaint(fw::Graphics&, int, int, int, int) { return false; }
void Track::TrackList_CellTextChange(int, int) {}
void Track::TrackList_CellAction(int, int) {}
bool Track::TrackList_CellKeyDown(int, int, const QString&) { return false; }
void Track::TrackList_CellGotFocus(int, int) {}
void Track::pbPlayFrom_Action() {}
void Track::pbHelp_Action() {}
void Track::pbShift_Action() {}
void Track::pbAdd_Action() {}
void Track::pbDeleteBeats_Action() {}
void Track::pbChangeSpeed_Action() {}
void Track::pbReduceBeats_Action() {}
void Track::LoadTrack(int songID) { TheSongID = songID; LoadList(); }
void Track::LoadList() {}
void Track::ScrollToCount(const QString&) {}
void Track::SaveSettings() {}
void Track::AddCounts(int, int, int, double, double, double) {}
void Track::MakeFirstTrack(double, int, int) {}
