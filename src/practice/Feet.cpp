#include "practice/Feet.h"

#include "core/Code.h"
#include "core/MenuBar1.h"

#include "framework/Database.h"
#include "framework/MenuBar.h"

namespace {

// Which two canvases a step shows: the left foot forward, both feet at
// home, or the right foot back.
enum class Stance { Forward, Home, Back };
// The label beside the row that the step's word belongs to.
enum class Row { Top, Middle, Bottom };
// The one Top a step changes: a foot drops 5 pixels from where it stands,
// or goes back to its home row.
enum class Move { None, Foot2Down, Foot3Down, Foot2Home, Foot3Home };

struct Step {
    Stance stance;
    Row row;
    const char* word;
    Move move;
};

// One count of the basic step for both parts.
struct CountStep {
    Step men;
    Step lady;
};

using enum Stance;
using enum Row;
using enum Move;

constexpr CountStep kBreakOnOne[8] = {
    /* OneOne   */ {{Forward, Top, "One!", None}, {Back, Bottom, "One!", None}},
    /* OneTwo   */ {{Forward, Middle, "In place", Foot3Down}, {Back, Middle, "In place", Foot2Down}},
    /* OneThree */ {{Home, Middle, "Together", Foot3Home}, {Home, Middle, "Together", Foot2Home}},
    /* OneFour  */ {{Home, Middle, "Pause", None}, {Home, Middle, "Pause", None}},
    /* OneFive  */ {{Back, Bottom, "Back", None}, {Forward, Top, "Forward", None}},
    /* OneSix   */ {{Back, Middle, "In Place", Foot2Down}, {Forward, Middle, "In Place", Foot3Down}},
    /* OneSeven */ {{Home, Middle, "Together", Foot2Home}, {Home, Middle, "Together", Foot3Home}},
    /* OneEight */ {{Home, Middle, "Pause", None}, {Home, Middle, "Pause", None}},
};

constexpr CountStep kBreakOnTwo[8] = {
    /* TwoOne   */ {{Home, Middle, "Break", None}, {Home, Middle, "Break", None}},
    /* TwoTwo   */ {{Forward, Top, "Two!", None}, {Back, Bottom, "Two!", None}},
    /* TwoThree */ {{Forward, Middle, "In place", Foot3Down}, {Back, Middle, "In place", Foot2Down}},
    /* TwoFour  */ {{Home, Middle, "Together", Foot3Home}, {Home, Middle, "Together", Foot2Home}},
    /* TwoFive  */ {{Home, Middle, "Pause", None}, {Home, Middle, "Pause", None}},
    /* TwoSix   */ {{Back, Bottom, "Back", None}, {Forward, Top, "Forward", None}},
    /* TwoSeven */ {{Back, Middle, "In Place", Foot2Down}, {Forward, Middle, "In Place", Foot3Down}},
    /* TwoEight */ {{Home, Middle, "Together", Foot2Home}, {Home, Middle, "Together", Foot3Home}},
};

constexpr int kDrop = 5;

void setStance(const Feet& w, Stance stance)
{
    w.Foot1->setVisible(stance == Forward);
    w.Foot2->setVisible(stance != Forward);
    w.Foot3->setVisible(stance != Back);
    w.Foot4->setVisible(stance == Back);
}

void setWord(const Feet& w, Row row, const QString& word)
{
    w.stFeetTop->setText(row == Top ? word : QString());
    w.stFeetMiddle->setText(row == Middle ? word : QString());
    w.stFeetBottom->setText(row == Bottom ? word : QString());
}

void moveFoot(const Feet& w, Move move)
{
    switch (move) {
    case None: break;
    case Foot2Down: w.Foot2->setTop(w.Foot2->top() + kDrop); break;
    case Foot3Down: w.Foot3->setTop(w.Foot3->top() + kDrop); break;
    case Foot2Home: w.Foot2->setTop(w.FeetTop); break;
    case Foot3Home: w.Foot3->setTop(w.FeetTop); break;
    }
}

void showStep(const Feet& w, const CountStep& count)
{
    const Step& step = w.rbMens->value() ? count.men : count.lady;
    setStance(w, step.stance);
    setWord(w, step.row, QString::fromUtf8(step.word));
    moveFoot(w, step.move);
}

// The image well carries the file's picture (or none) on to both canvases
// of one foot; the built-in backdrop does not stay as a fallback.
void loadPicture(const Feet& w, const QString& fileName, fw::Canvas* first, fw::Canvas* second)
{
    w.LoadImage->setImage(Code::AppDataFolder.child(fileName).openAsPicture());
    first->setBackdrop(w.LoadImage->image());
    second->setBackdrop(w.LoadImage->image());
}

QString word(bool on)
{
    return on ? QStringLiteral("True") : QStringLiteral("False");
}

} // namespace

Feet::Feet()
    : SharedWindow(QStringLiteral("Feet"))
{
}

void Feet::CreateControls()
{
    Foot2 = control<fw::Canvas>(QStringLiteral("Foot2"));
    Foot3 = control<fw::Canvas>(QStringLiteral("Foot3"));
    Foot1 = control<fw::Canvas>(QStringLiteral("Foot1"));
    Foot4 = control<fw::Canvas>(QStringLiteral("Foot4"));
    stFeetTop = control<fw::StaticText>(QStringLiteral("stFeetTop"));
    stFeetMiddle = control<fw::StaticText>(QStringLiteral("stFeetMiddle"));
    stFeetBottom = control<fw::StaticText>(QStringLiteral("stFeetBottom"));
    GroupBox1 = control<fw::GroupBox>(QStringLiteral("GroupBox1"));
    rbLadies = control<fw::RadioButton>(QStringLiteral("rbLadies"));
    rbMens = control<fw::RadioButton>(QStringLiteral("rbMens"));
    GroupBox2 = control<fw::GroupBox>(QStringLiteral("GroupBox2"));
    rbOnOne = control<fw::RadioButton>(QStringLiteral("rbOnOne"));
    rbOnTwo = control<fw::RadioButton>(QStringLiteral("rbOnTwo"));
    LoadImage = control<fw::ImageWell>(QStringLiteral("LoadImage"));
}

void Feet::Event_Open()
{
    loadPicture(*this, QStringLiteral("LeftFoot.bmp"), Foot1, Foot2);
    loadPicture(*this, QStringLiteral("RightFoot.bmp"), Foot3, Foot4);
    fw::lowerTextSize({stFeetTop, stFeetMiddle, stFeetBottom, GroupBox1, GroupBox2,
                       rbLadies, rbMens, rbOnOne, rbOnTwo});
    FeetTop = Foot2->top();
    Code::FeetOn = true;
    ResetFeet();
    m_storedChoices = {rbOnOne->value(), rbLadies->value()};

    std::unique_ptr<fw::RecordSet> row;
    if (Code::db)
        row = Code::db->SQLSelect(QStringLiteral("Select * from Settings"));
    m_readFailed = !row;
    if (!row || row->eof())
        return;   // the default place and the laid-out choices stay
    setTop(static_cast<int>(row->Field(QStringLiteral("FeetTop")).IntegerValue()));
    setLeft(static_cast<int>(row->Field(QStringLiteral("FeetLeft")).IntegerValue()));
    const bool onOne = row->Field(QStringLiteral("FeetOnOne")).BooleanValue();
    rbOnOne->setValue(onOne);
    rbOnTwo->setValue(!onOne);
    const bool lady = row->Field(QStringLiteral("FeetOnLady")).BooleanValue();
    rbLadies->setValue(lady);
    rbMens->setValue(!lady);
    m_storedChoices = {onOne, lady};
    if (fw::MenuItem* item = mFeet())
        item->setChecked(true);
}

// The player stops calling a window the user has closed.
void Feet::Event_Close()
{
    SaveSettings();
    if (fw::MenuItem* item = mFeet())
        item->setChecked(false);
    Code::FeetOn = false;
}

void Feet::SetFeetTo(int count)
{
    switch (count) {
    case 1: SetFeetToOne(); break;
    case 2: SetFeetToTwo(); break;
    case 3: SetFeetToThree(); break;
    case 4: SetFeetToFour(); break;
    case 5: SetFeetToFive(); break;
    case 6: SetFeetToSix(); break;
    case 7: SetFeetToSeven(); break;
    case 8: SetFeetToEight(); break;
    default: break;
    }
}

void Feet::SetFeetToOne() { rbOnOne->value() ? OneOne() : TwoOne(); }
void Feet::SetFeetToTwo() { rbOnOne->value() ? OneTwo() : TwoTwo(); }
void Feet::SetFeetToThree() { rbOnOne->value() ? OneThree() : TwoThree(); }
void Feet::SetFeetToFour() { rbOnOne->value() ? OneFour() : TwoFour(); }
void Feet::SetFeetToFive() { rbOnOne->value() ? OneFive() : TwoFive(); }
void Feet::SetFeetToSix() { rbOnOne->value() ? OneSix() : TwoSix(); }
void Feet::SetFeetToSeven() { rbOnOne->value() ? OneSeven() : TwoSeven(); }
void Feet::SetFeetToEight() { rbOnOne->value() ? OneEight() : TwoEight(); }

void Feet::OneOne() { showStep(*this, kBreakOnOne[0]); }
void Feet::OneTwo() { showStep(*this, kBreakOnOne[1]); }
void Feet::OneThree() { showStep(*this, kBreakOnOne[2]); }
void Feet::OneFour() { showStep(*this, kBreakOnOne[3]); }
void Feet::OneFive() { showStep(*this, kBreakOnOne[4]); }
void Feet::OneSix() { showStep(*this, kBreakOnOne[5]); }
void Feet::OneSeven() { showStep(*this, kBreakOnOne[6]); }
void Feet::OneEight() { showStep(*this, kBreakOnOne[7]); }

void Feet::TwoOne() { showStep(*this, kBreakOnTwo[0]); }
void Feet::TwoTwo() { showStep(*this, kBreakOnTwo[1]); }
void Feet::TwoThree() { showStep(*this, kBreakOnTwo[2]); }
void Feet::TwoFour() { showStep(*this, kBreakOnTwo[3]); }
void Feet::TwoFive() { showStep(*this, kBreakOnTwo[4]); }
void Feet::TwoSix() { showStep(*this, kBreakOnTwo[5]); }
void Feet::TwoSeven() { showStep(*this, kBreakOnTwo[6]); }
void Feet::TwoEight() { showStep(*this, kBreakOnTwo[7]); }

void Feet::ResetFeet()
{
    setStance(*this, Home);
    Foot2->setTop(FeetTop);
    Foot3->setTop(FeetTop);
    setWord(*this, Middle, QStringLiteral("Ready"));
}

// A window pushed up to the screen's top edge keeps the saved row as it is.
void Feet::SaveSettings()
{
    if (!Code::db || top() <= 0)
        return;
    const bool changed = m_storedChoices != std::pair(rbOnOne->value(), rbLadies->value());
    // Choices never read are not written over the stored ones, unless the
    // user chose anew.
    const QString choices = m_readFailed && !changed
        ? QString()
        : QStringLiteral("FeetOnOne='%1', FeetOnLady='%2', ").arg(word(rbOnOne->value()), word(rbLadies->value()));
    const QString statement
        = QStringLiteral("Update Settings Set %1FeetTop=%2, FeetLeft=%3").arg(choices).arg(top()).arg(left());
    if (Code::db->executeInTransaction(statement))
        return;
    // The place alone may go; choices the user changed are told lost.
    if (changed)
        Code::toldDatabaseFailure(QStringLiteral("Could not save the basic step choices. Error: "));
}
