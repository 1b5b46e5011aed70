#include "tracks/MeasureSong.h"

#include "framework/Application.h"
#include "framework/Format.h"

namespace {
constexpr int kBeatsPerPhrase = 8;
constexpr double kTicksPerMinute = 60.0 * 60.0;
} // namespace

MeasureSong::MeasureSong()
    : SharedWindow(QStringLiteral("MeasureSong"))
{
}

void MeasureSong::CreateControls()
{
    pbFirstPhrase = control<fw::PushButton>(QStringLiteral("pbFirstPhrase"));
    pbNextPhrase = control<fw::PushButton>(QStringLiteral("pbNextPhrase"));
    pbStartOver = control<fw::PushButton>(QStringLiteral("pbStartOver"));
    st1 = control<fw::StaticText>(QStringLiteral("st1"));
    stBPM = control<fw::StaticText>(QStringLiteral("stBPM"));
    stPhrases = control<fw::StaticText>(QStringLiteral("stPhrases"));
    connect(pbFirstPhrase, &fw::PushButton::action, this, &MeasureSong::pbFirstPhrase_Action);
    connect(pbNextPhrase, &fw::PushButton::action, this, &MeasureSong::pbNextPhrase_Action);
    connect(pbStartOver, &fw::PushButton::action, this, &MeasureSong::pbStartOver_Action);
}

void MeasureSong::pbFirstPhrase_Action()
{
    Beat1 = static_cast<double>(fw::Ticks());
    Phrases = 0;
    pbFirstPhrase->setEnabled(false);
    pbNextPhrase->setFocus();
}

// The tempo is the average over every phrase since First Phrase.
void MeasureSong::pbNextPhrase_Action()
{
    const double now = static_cast<double>(fw::Ticks());
    // A press in the very tick of First Phrase is that tap bouncing, not a
    // phrase: there is no time to measure one over, so nothing changes.
    if (now <= Beat1)
        return;
    ++Phrases;
    Beat2 = now;
    BPM = static_cast<double>(Phrases * kBeatsPerPhrase) / ((Beat2 - Beat1) / kTicksPerMinute);
    showFigures();
}

void MeasureSong::pbStartOver_Action()
{
    Phrases = 0;
    BPM = 0.0;
    showFigures();
    pbFirstPhrase->setEnabled(true);
}

void MeasureSong::showFigures()
{
    stPhrases->setText(QStringLiteral("Phrases = ") + QString::number(Phrases));
    stBPM->setText(QStringLiteral("Beats Per Minute = ") + fw::Format(BPM, QStringLiteral("####.00")));
}

// The instructions keep their laid-out size.
void MeasureSong::Event_Open()
{
    fw::lowerTextSize({stPhrases, stBPM, pbFirstPhrase, pbNextPhrase, pbStartOver});
}
