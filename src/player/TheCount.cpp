#include "player/TheCount.h"

#include "core/Code.h"
#include "core/WindowPlace.h"

#include "framework/Application.h"

namespace {
const QColor kBlack(0, 0, 0);
}

TheCount::TheCount()
    : SharedWindow(QStringLiteral("TheCount"))
{
}

void TheCount::CreateControls()
{
    GroupBox1 = control<fw::GroupBox>(QStringLiteral("GroupBox1"));
    GroupBox2 = control<fw::GroupBox>(QStringLiteral("GroupBox2"));
    BeatTimer = control<fw::Timer>(QStringLiteral("BeatTimer"));
    qtPlayer = control<fw::MoviePlayer>(QStringLiteral("qtPlayer"));
    for (int k = 0; k < 8; ++k) {
        stCount[k] = control<fw::StaticText>(QStringLiteral("stCount"), k);
        stNote[k] = control<fw::StaticText>(QStringLiteral("stNote"), k);
    }
    stAdvice = control<fw::StaticText>(QStringLiteral("stAdvice"));
    stTime = control<fw::StaticText>(QStringLiteral("stTime"));
}

void TheCount::Event_Open()
{
    ClearNotes();
    ResetBeats();
    if (!WindowPlace::restore(*this, QStringLiteral("TheCount")))
        return;   // no settings row: laid-out place and text sizes
    stTime->setTop(stTime->top() + 4);
    fw::lowerTextSize({stAdvice});
    for (fw::StaticText* count : stCount)
        fw::lowerTextSize({count});
    for (fw::StaticText* note : stNote)
        fw::lowerTextSize({note});
    fw::lowerTextSize({GroupBox1, GroupBox2, stTime});
}

void TheCount::Event_Close()
{
    SaveSettings();
}

void TheCount::ResetBeats()
{
    for (fw::StaticText* count : stCount)
        count->setTextColor(kBlack);
}

void TheCount::ClearNotes()
{
    for (fw::StaticText* note : stNote)
        note->setText(QString());
}

void TheCount::SaveSettings()
{
    WindowPlace::save(*this, QStringLiteral("TheCount"), false);
}
