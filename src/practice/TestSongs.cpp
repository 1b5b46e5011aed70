#include "practice/TestSongs.h"

#include "core/Code.h"
#include "core/SongRow.h"
#include "library/ListCells.h"
#include "library/SongPath.h"
#include "player/FileMessage.h"
#include "practice/Test.h"

#include "framework/Application.h"
#include "framework/Database.h"
#include "framework/Platform.h"

#include <QPointer>

TestSongs::TestSongs()
    : SharedWindow(QStringLiteral("TestSongs"))
{
}

void TestSongs::CreateControls()
{
    List = control<fw::ListBox>(QStringLiteral("List"));
    pbStartTest = control<fw::PushButton>(QStringLiteral("pbStartTest"));
    ListCells::dropDeletedSongs(*List);
    connect(List, &fw::ListBox::doubleClick, this, &TestSongs::List_DoubleClick);
    connect(pbStartTest, &fw::PushButton::action, this, &TestSongs::pbStartTest_Action);
}

void TestSongs::List_DoubleClick()
{
    StartTest();
}

void TestSongs::pbStartTest_Action()
{
    StartTest();
}

void TestSongs::Event_Open()
{
    fw::lowerTextSize({List, pbStartTest});
    const ListCells::Filling filling(*List);
    const std::unique_ptr<fw::RecordSet> songs =
        Code::db->SQLSelect(QStringLiteral("Select * from Songs where TestStart>0 Order by Title"));
    if (!songs) {
        fw::MsgBox(Code::withDatabaseError(QStringLiteral("Couldn't read the songs.")));
        return;
    }
    const QPointer<TestSongs> alive(this);
    for (; !songs->eof(); songs->MoveNext()) {
        // A test start kept as text passes the query's comparison with a
        // number, but it is no test section.
        if (songs->Field(QStringLiteral("TestStart")).DoubleValue() > 0.0
            && SongPath::found(songs->Field(QStringLiteral("Path")).StringValue())) {
            List->AddRow(songs->Field(QStringLiteral("Title")).StringValue());
            List->setCell(List->LastIndex(), ListCells::IDCell, songs->Field(QStringLiteral("ID")).StringValue());
        }
        fw::YieldToEventLoop();
        if (!alive || isClosed())
            return;   // the user closed the window while it filled
    }
    List->setListIndex(0);
}

void TestSongs::StartTest()
{
    const int row = List->ListIndex();
    if (row < 0) {
        fw::MsgBox(QStringLiteral("Please click on a song first."));
        return;
    }
    const std::optional<int> id = ListCells::idOf(*List, row);
    const std::unique_ptr<fw::RecordSet> song = id ? SongRow::select(*id) : nullptr;
    if (!song) {
        // Deleted since the list was filled, or the database failed.
        fw::MsgBox(Code::withDatabaseError(QStringLiteral("Couldn't find song record.")));
        return;
    }
    if (!SongPath::found(song->Field(QStringLiteral("Path")).StringValue())) {
        showMissingSongFile(song->Field(QStringLiteral("Title")).StringValue());
        return;
    }
    Test& test = Test::instance();
    test.Show();
    test.Init(*id);
}
