#include "practice/Test.h"

#include "core/Code.h"
#include "core/SongRow.h"
#include "library/SongPath.h"
#include "player/FileMessage.h"
#include "player/TheCount.h"

#include "framework/Application.h"
#include "framework/Database.h"
#include "framework/Format.h"
#include "framework/Platform.h"

#include <QLocale>
#include <QPointer>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

const QString kGetReady = QStringLiteral("Get ready...");
const QString kAllDone = QStringLiteral("All Done!");

// The timer's period as laid out.
constexpr int kTickMs = 100;
// A tick aimed at a moment comes this long after it: the position must have
// passed the moment, not reached it.
constexpr int kPastDueMs = 2;
// The shortest wait between ticks, so a player that says it plays while its
// position stands still is not asked a thousand times a second.
constexpr int kShortestWaitMs = 5;

// A time in seconds as the database engine reads it back exactly.
QString sqlNumber(double seconds)
{
    return QString::number(seconds, 'g', QLocale::FloatingPointShortest);
}

// A time shown with two decimals, in whole hundredths of a second.
qint64 hundredths(const QString& shown)
{
    return std::llround(fw::CDbl(shown) * 100.0);
}

QString gradeFor(int percent)
{
    if (percent > 90)
        return QStringLiteral("A");
    if (percent > 80)
        return QStringLiteral("B");
    if (percent > 70)
        return QStringLiteral("C");
    if (percent > 60)
        return QStringLiteral("D");
    return QStringLiteral("F");
}

} // namespace

Test::Test()
    : SharedWindow(QStringLiteral("Test"))
{
}

void Test::CreateControls()
{
    List = control<fw::ListBox>(QStringLiteral("List"));
    qtPlayer = control<fw::MoviePlayer>(QStringLiteral("qtPlayer"));
    TheTimer = control<fw::Timer>(QStringLiteral("TheTimer"));
    stCountdown = control<fw::StaticText>(QStringLiteral("stCountdown"));
    st1 = control<fw::StaticText>(QStringLiteral("st1"));
    st2 = control<fw::StaticText>(QStringLiteral("st2"));
    st4 = control<fw::StaticText>(QStringLiteral("st4"));
    st3 = control<fw::StaticText>(QStringLiteral("st3"));
    stRight = control<fw::StaticText>(QStringLiteral("stRight"));
    stWrong = control<fw::StaticText>(QStringLiteral("stWrong"));
    stPercent = control<fw::StaticText>(QStringLiteral("stPercent"));
    stGrade = control<fw::StaticText>(QStringLiteral("stGrade"));
    st5 = control<fw::StaticText>(QStringLiteral("st5"));
    connect(TheTimer, &fw::Timer::action, this, &Test::TheTimer_Action);
    connect(&Code::notices(), &Code::Notices::songDeleted, this, &Test::songDeleted);
    List->CellClick = [this](int row, int column, int x, int y) { return List_CellClick(row, column, x, y); };
}

bool Test::List_CellClick(int row, int column, int x, int y)
{
    Q_UNUSED(row);
    Q_UNUSED(column);
    Q_UNUSED(x);
    Q_UNUSED(y);
    RecordClick();
    return false;   // the list still selects the row clicked
}

void Test::TheTimer_Action()
{
    // Audio that has ended short of the section's end leaves a position that
    // never passes it: the test then ends as it does by time.
    if (TestEnd < qtPlayer->position() || qtPlayer->hasEnded()) {
        stCountdown->setText(kAllDone);
        qtPlayer->stop();
        TheTimer->setMode(fw::Timer::ModeOff);
        return;
    }
    if (!TestStarted && CountDownTrigger < qtPlayer->position()) {
        // One second per tick at most.
        ++CountDownTrigger;
        TestStart -= 1.0;
        if (0.0 < TestStart) {
            stCountdown->setText(QStringLiteral("Get ready to start in: ") + QString::number(fw::CInt(TestStart)));
        } else {
            TestStarted = true;
            stCountdown->setText(QStringLiteral("Click or key on the next 'One'"));
            ClickNumber = 0;
        }
    }
    aimNextTick();
}

// The timer ticks every 100 ms, and just after the next moment that is due
// (the next second of the countdown, the end of the test) when that comes
// sooner: each text then shows within a few milliseconds of its moment
// rather than up to a whole tick late.
void Test::aimNextTick()
{
    if (TheTimer->mode() == fw::Timer::ModeOff)
        return;
    int wait = kTickMs;
    if (qtPlayer->isPlaying()) {
        const double due = TestStarted ? TestEnd : std::min(TestEnd, static_cast<double>(CountDownTrigger));
        const double msAhead = (due - qtPlayer->position()) * 1000.0;
        wait = static_cast<int>(std::clamp(std::ceil(msAhead) + kPastDueMs, double(kShortestWaitMs), double(kTickMs)));
    }
    TheTimer->setPeriod(wait);
}

bool Test::Event_MouseDown(int x, int y)
{
    Q_UNUSED(x);
    Q_UNUSED(y);
    RecordClick();
    return false;
}

bool Test::Event_KeyDown(const QString& key)
{
    Q_UNUSED(key);   // any key is a press
    RecordClick();
    return true;
}

void Test::Event_Open()
{
    List->setHeadings(QStringLiteral("The One\tYour Time\tScore\t"));
    List->setColumnWidths(QStringLiteral("65,70,60"));
    for (int column = 0; column < 3; ++column)
        List->setColumnAlignment(column, fw::Alignment::Center);
    fw::lowerTextSize({List, stCountdown, st1, st2, st3, st4, st5});
    // The instructions stay where they are laid out: 30 pixels lower, their
    // last line (the one for mouse users) would fall below the window's edge
    // at the text sizes the program shows.
    fw::lowerTextSize({stRight, stWrong, stPercent, stGrade});
}

void Test::RecordClick()
{
    if (!TestStarted)
        return;
    if (ClickNumber > List->ListCount() - 1) {
        // Every One has been scored: this press only ends the test.
        stCountdown->setText(kAllDone);
        qtPlayer->stop();
        return;
    }
    const QString pressed = fw::Format(qtPlayer->position(), QStringLiteral("00.00"));
    List->setCell(ClickNumber, 1, pressed);
    ++ClickNumber;
    List->setListIndex(ClickNumber - 1);

    // The press and its One are compared in the hundredths both show, so a
    // press exactly half a second away is always "Wrong" and 0.49 s always
    // "Right", whatever binary fractions the two times have.
    const qint64 press = hundredths(pressed);
    const qint64 one = hundredths(List->Cell(ClickNumber - 1, 0));
    if (std::abs(press - one) < 50) {
        List->setCell(ClickNumber - 1, 2, QStringLiteral("Right"));
        ++Yaay;
    } else {
        List->setCell(ClickNumber - 1, 2, QStringLiteral("Wrong"));
        ++Boo;
    }
    ++Questions;
    ThePercent = fw::CInt(static_cast<double>(Yaay) / Questions * 100.0);
    Grade = gradeFor(ThePercent);

    stRight->setText(QString::number(Yaay));
    stWrong->setText(QString::number(Boo));
    stPercent->setText(QString::number(ThePercent) + QStringLiteral("%"));
    stGrade->setText(Grade);
}

void Test::Init(int songID)
{
    // A test already running here ends now: its timer and its audio must
    // never count or score into this one, whatever becomes of this one.
    const int run = ++m_run;
    m_songID = songID;
    TheTimer->setMode(fw::Timer::ModeOff);
    qtPlayer->stop();

    Boo = 0;
    Yaay = 0;
    ThePercent = 0;
    for (fw::StaticText* value : {stRight, stWrong, stPercent, stGrade})
        value->setText(QStringLiteral("0"));
    stCountdown->setText(kGetReady);
    TestStarted = false;
    CountDownTrigger = 0;
    Questions = 0;

    const std::unique_ptr<fw::RecordSet> song = SongRow::select(songID);
    if (!song) {
        fw::MsgBox(Code::withDatabaseError(QStringLiteral("Test.Init.1 could not load Song record.")));
        return;
    }
    TestStart = song->Field(QStringLiteral("TestStart")).DoubleValue();
    TestEnd = song->Field(QStringLiteral("TestEnd")).DoubleValue();

    const QString path = song->Field(QStringLiteral("Path")).StringValue();
    if (!SongPath::found(path)) {
        const QPointer<Test> alive(this);
        showMissingSongFile(song->Field(QStringLiteral("Title")).StringValue());
        if (alive && stillCurrent(run))
            Close();
        return;
    }
    Show();
    List->DeleteAllRows();

    const QString sql = fw::decimalPoint(QStringLiteral("Select * from Track where (Beat=1) and (TheTime>")
                                         + sqlNumber(TestStart) + QStringLiteral(") and (TheTime<=")
                                         + sqlNumber(TestEnd) + QStringLiteral(") and SongsID=")
                                         + song->Field(QStringLiteral("ID")).StringValue());
    const std::unique_ptr<fw::RecordSet> ones = Code::db->SQLSelect(sql);
    if (!ones || ones->eof()) {
        fw::MsgBox(Code::withDatabaseError(QStringLiteral("Test.Init could not load Track data.")));
        fw::MsgBox(QStringLiteral("sql=") + sql);
        return;
    }
    // Presses are paired with the listed Ones in order, so the list takes
    // them in the order the music brings them, whatever order they were
    // stored in.
    std::vector<double> times;
    for (; !ones->eof(); ones->MoveNext())
        times.push_back(ones->Field(QStringLiteral("TheTime")).DoubleValue());
    std::stable_sort(times.begin(), times.end());
    const QPointer<Test> alive(this);
    for (double time : times) {
        List->AddRow(fw::Format(time, QStringLiteral("##.#0")));
        fw::YieldToEventLoop();
        if (!alive || !stillCurrent(run))
            return;   // closed, or started over, while the list filled
    }

    if (!SongRow::select(songID)) {
        fw::MsgBox(Code::withDatabaseError(QStringLiteral("Test.Init.2 could not load Song record.")));
        return;
    }
    qtPlayer->open(fw::FolderItem::fromAbsolutePath(path));
    if (!alive || !stillCurrent(run))
        return;   // closed, or started over, while the file loaded
    if (!qtPlayer->copyProblem().isEmpty()) {
        fw::MsgBox(cannotCopySongFile(*qtPlayer));
        return;
    }
    if (qtPlayer->duration() == 0.0) {
        // No position would ever move: the countdown would wait for ever.
        fw::MsgBox(kCannotOpenSongFile);
        return;
    }
    TheTimer->setMode(fw::Timer::ModeMultiple);
    qtPlayer->setPosition(0.0);
    qtPlayer->play();
    aimNextTick();
}

// As at the end of its section, the score so far stays shown; an Init still
// reading the song goes no further, since its ID now names the next new song.
void Test::songDeleted(int songID)
{
    if (songID != m_songID)
        return;
    m_songID = 0;
    ++m_run;
    TheTimer->setMode(fw::Timer::ModeOff);
    qtPlayer->stop();
    stCountdown->setText(kAllDone);
}
