#include "tracks/NewTrack.h"

#include "tracks/Track.h"

#include "framework/Format.h"
#include "framework/Platform.h"

NewTrack::NewTrack()
    : SharedWindow(QStringLiteral("NewTrack"))
{
}

void NewTrack::CreateControls()
{
    st1 = control<fw::StaticText>(QStringLiteral("st1"));
    st3 = control<fw::StaticText>(QStringLiteral("st3"));
    efBPM = control<fw::EditField>(QStringLiteral("efBPM"));
    st4 = control<fw::StaticText>(QStringLiteral("st4"));
    st2 = control<fw::StaticText>(QStringLiteral("st2"));
    st5 = control<fw::StaticText>(QStringLiteral("st5"));
    efMinutes = control<fw::EditField>(QStringLiteral("efMinutes"));
    st6 = control<fw::StaticText>(QStringLiteral("st6"));
    efSeconds = control<fw::EditField>(QStringLiteral("efSeconds"));
    st7 = control<fw::StaticText>(QStringLiteral("st7"));
    st8 = control<fw::StaticText>(QStringLiteral("st8"));
    pbMakeTrack = control<fw::PushButton>(QStringLiteral("pbMakeTrack"));
    connect(pbMakeTrack, &fw::PushButton::action, this, &NewTrack::pbMakeTrack_Action);
}

void NewTrack::Event_Open()
{
    fw::lowerTextSize({st1, st2, st3, st4, st5, st6, st7, st8, efBPM, efMinutes, efSeconds, pbMakeTrack});
}

// The track is made for the song the editor holds. A field left empty reads
// as 0; one that holds something other than a number makes no track.
void NewTrack::pbMakeTrack_Action()
{
    Track::instance().Show();
    for (const fw::EditField* field : {efBPM, efMinutes, efSeconds}) {
        if (!field->text().trimmed().isEmpty() && !fw::numberOf(field->text())) {
            fw::MsgBox(Track::kNoCountsToMake);
            return;
        }
    }
    const double bpm = fw::CDbl(efBPM->text());
    const int minutes = fw::CInt(fw::CDbl(efMinutes->text()));
    const int seconds = fw::CInt(fw::CDbl(efSeconds->text()));
    Track::instance().MakeFirstTrack(bpm, minutes, seconds);
}
