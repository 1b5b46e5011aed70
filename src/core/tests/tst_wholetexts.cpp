// Every text a window shows is whole: each window the program has, opened as
// the program opens it, shows every label, button, radio button, group
// title, tab and list heading whole at the font it is drawn in, inside its
// containers; and the track editor shows its counts, times, intervals, beats
// and speeds whole in their columns, times up to a day either side of the
// start and speeds up to 888.88.

#include "library/AddSong.h"
#include "library/SongInfo.h"
#include "player/FileMessage.h"
#include "practice/Test.h"
#include "support/Windows.h"
#include "support/app/AppHarness.h"
#include "tracks/MeasureSong.h"
#include "tracks/NewTrack.h"
#include "tracks/Track.h"

#include "framework/Application.h"
#include "framework/Controls.h"
#include "framework/ListBox.h"

#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOption>
#include <QTabBar>
#include <QTreeView>
#include <QtTest>
#include <functional>
#include <map>

using namespace testing;

namespace {

// Whether a text laid out with the flags fits a box at a font.
bool fits(const QFont& font, const QString& text, const QRect& box, int flags)
{
    const QRect need = QFontMetrics(font).boundingRect(QRect(QPoint(0, 0), box.size()), flags, text);
    return need.width() <= box.width() && need.height() <= box.height();
}

// A label's text as it shows: what follows its last visible character shows nothing.
QString visibleText(QString text)
{
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    return text;
}

// Whether a heading drawn in a font fits the place the style gives it.
bool headingFits(const QHeaderView* header, int column, const DrawnText& drawn)
{
    QStyleOptionHeader option;
    option.initFrom(header);
    option.state |= QStyle::State_Horizontal;
    option.orientation = Qt::Horizontal;
    option.section = column;
    option.text = drawn.text;
    option.rect = QRect(header->sectionViewportPosition(column), 0, header->sectionSize(column), header->height());
    if (header->isSortIndicatorShown() && header->sortIndicatorSection() == column)
        option.sortIndicator = QStyleOptionHeader::SortUp;
    const QRect label = header->style()->subElementRect(QStyle::SE_HeaderLabel, &option, header);
    return fits(drawn.font, drawn.text, label, Qt::AlignLeft | Qt::TextSingleLine);
}

// The headings a list does not draw whole, and the cells it does not draw
// whole (cut short with "…") in the columns of the given headings, as
// "heading: text".
QStringList cutInList(const fw::ListBox* list, const QStringList& cellColumns = {})
{
    auto* view = qobject_cast<QTreeView*>(list->widget());
    const QHeaderView* header = view->header();
    QStringList cut;
    for (const DrawnText& drawn : drawnTexts(view)) {
        const QPoint onHeader = header->mapFrom(view, drawn.at);
        if (header->isVisible() && header->rect().contains(onHeader)) {
            const int column = header->logicalIndexAt(onHeader.x());
            if (drawn.text != list->Heading(column) || !headingFits(header, column, drawn))
                cut << list->Heading(column) + QStringLiteral(": ") + drawn.text;
            continue;
        }
        const QModelIndex cell = view->indexAt(view->viewport()->mapFrom(view, drawn.at));
        if (cell.isValid() && cellColumns.contains(list->Heading(cell.column()))
            && drawn.text != list->Cell(cell.row(), cell.column()))
            cut << list->Heading(cell.column()) + QStringLiteral(": ") + drawn.text;
    }
    return cut;
}

// The part of a box in a widget's coordinates that the widget's containers
// (its group, tab page and window) leave in view.
QRect inView(const QWidget* widget, QRect box)
{
    for (const QWidget* outer = widget->parentWidget(); outer; outer = outer->parentWidget()) {
        box &= QRect(widget->mapFrom(outer, QPoint(0, 0)), outer->size());
        if (outer->isWindow())
            break;
    }
    return box;
}

// The texts of a window that do not show whole, each as "control: text";
// its lists' cells are looked at in the columns of the given headings.
QStringList cutTexts(const fw::Window& window, const QStringList& cellColumns = {})
{
    QStringList cut;
    const auto check = [&cut](const fw::Control* control, const QString& text, bool whole) {
        if (!whole && !text.isEmpty())
            cut << control->record().key() + QStringLiteral(": ") + text;
    };
    for (const fw::Control* control : window.controls()) {
        QWidget* widget = control->widget();
        if (control->record().kind == QLatin1String("StaticText")) {
            const auto* label = qobject_cast<const QLabel*>(widget);
            const int flags = static_cast<int>(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
            check(control, label->text(),
                  fits(label->font(), visibleText(label->text()), inView(label, label->contentsRect()), flags));
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
            check(control, button->text(), fits(button->font(), button->text(), inView(button, fw::buttonTextPlace(button)),
                                                 Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic));
        } else if (const auto* box = qobject_cast<const QGroupBox*>(widget)) {
            check(control, box->title(), inView(box, box->rect()).contains(fw::groupTitlePlace(box)));
        } else if (const auto* list = dynamic_cast<const fw::ListBox*>(control)) {
            for (const QString& text : cutInList(list, cellColumns))
                check(control, text, false);
        } else if (const auto* tabs = widget ? widget->findChild<const QTabBar*>() : nullptr) {
            QStringList captions;
            for (int i = 0; i < tabs->count(); ++i)
                captions << tabs->tabText(i);
            check(control, captions.join(QLatin1Char('/')),
                  tabs->sizeHint().width() <= inView(tabs, tabs->rect()).width());
        }
    }
    return cut;
}

// Opens a window as the program does, showing its longest texts.
using Opener = std::function<fw::Window&(AppHarness&)>;

fw::Window& byMenu(AppHarness& h, const QString& item, const QString& window)
{
    h.app->chooseMenuItem(item);
    for (fw::Window* open : fw::Window::openWindows()) {
        if (open->objectName() == window)
            return *open;
    }
    throw std::logic_error("the menu opened no " + window.toStdString());
}

fw::Window& trackOn(AppHarness& h, const std::vector<double>& times)
{
    const int id = h.addSong(QStringLiteral("Probe"), {}, times, {1, 8});
    execute(h, QStringLiteral("Update Track set Speed = 888.88 where SongsID = %1").arg(id));
    Track::instance().Show();
    Track::instance().LoadTrack(id);
    return Track::instance();
}

const std::map<QString, Opener>& openers()
{
    static const std::map<QString, Opener> table = {
        {"TheCount", [](AppHarness& h) -> fw::Window& { return byMenu(h, "mTheCount", "TheCount"); }},
        {"SongError", [](AppHarness&) -> fw::Window& { showMissingSongFile("Probe"); return SongError::instance(); }},
        {"NoSongs", [](AppHarness&) -> fw::Window& { return NoSongs::instance(); }},
        {"Songs", [](AppHarness& h) -> fw::Window& { return byMenu(h, "mSongs", "Songs"); }},
        {"SetupSongs", [](AppHarness& h) -> fw::Window& { return byMenu(h, "mSetupSongs", "SetupSongs"); }},
        {"SongInfo", [](AppHarness& h) -> fw::Window& { return openWindowOn<SongInfo>(songID(h, "Probe").toInt()); }},
        {"SongLocations", [](AppHarness& h) -> fw::Window& { return byMenu(h, "mSongLocations", "SongLocations"); }},
        {"AddSong", [](AppHarness& h) -> fw::Window& { return openWindowOn<AddSong>(songID(h, "Probe").toInt()); }},
        {"About", [](AppHarness& h) -> fw::Window& { return byMenu(h, "mAbout", "About"); }},
        {"Settings", [](AppHarness& h) -> fw::Window& { return byMenu(h, "mSettings", "Settings"); }},
        {"Track", [](AppHarness& h) -> fw::Window& { return trackOn(h, {-86400.0, 86400.0}); }},
        {"NewTrack", [](AppHarness& h) -> fw::Window& {
             trackOn(h, {});
             return NewTrack::instance();
         }},
        {"MeasureSong", [](AppHarness& h) -> fw::Window& {
             auto& w = static_cast<MeasureSong&>(byMenu(h, "mMeasureSong", "MeasureSong"));
             qint64 tick = 1000;
             fw::setTickSource([&tick] { return tick; });
             w.pbFirstPhrase->push();
             tick += 246;
             w.pbNextPhrase->push();
             fw::setTickSource({});
             return w;
         }},
        {"SongSynch", [](AppHarness& h) -> fw::Window& { return byMenu(h, "mSynch", "SongSynch"); }},
        {"TestSongs", [](AppHarness& h) -> fw::Window& { return byMenu(h, "mTest", "TestSongs"); }},
        // As laid out: a test under way plays its song's file.
        {"Test", [](AppHarness&) -> fw::Window& { return Test::instance(); }},
        {"Feet", [](AppHarness& h) -> fw::Window& { return byMenu(h, "mFeet", "Feet"); }},
    };
    return table;
}

} // namespace

class WholeTextsTest : public QObject {
    Q_OBJECT
private slots:
    // Every window the program has is opened below.
    void everyWindowIsTested()
    {
        QStringList tested;
        for (const auto& [window, open] : openers())
            tested << window;
        QStringList layouts = QDir(QStringLiteral(":/layouts")).entryList();
        layouts.replaceInStrings(QStringLiteral(".json"), QString());
        tested.sort();
        layouts.sort();
        QCOMPARE(tested, layouts);
    }

    void textsShowWhole_data()
    {
        QTest::addColumn<QString>("window");
        for (const auto& [window, open] : openers())
            QTest::newRow(qPrintable(window)) << window;
    }
    void textsShowWhole()
    {
        QFETCH(QString, window);
        AppHarness h;
        h.startWithoutWindows();
        h.addSong(QStringLiteral("Probe"), {}, {}, {});
        execute(h, QStringLiteral("Update Songs set Install = 'Unpack it.' where Title = 'Probe'"));
        fw::Window& w = openers().at(window)(h);
        QCOMPARE(w.objectName(), window);
        if (auto* track = dynamic_cast<Track*>(&w))
            QCOMPARE(track->TrackList->Cell(1, 1) + ' ' + track->TrackList->Cell(1, 4), "86400.00 888.88");
        if (auto* measure = dynamic_cast<MeasureSong*>(&w))
            QCOMPARE(measure->stBPM->text(), "Beats Per Minute = 117.07");
        // The track editor's figures; the lists' other cells hold what the user wrote.
        const QStringList cut = cutTexts(w, {"Count", "Time", "Interval", "Beat", "Speed"});
        QCOMPARE(cut.join(QStringLiteral("; ")), QString());
    }
};

QTEST_MAIN(WholeTextsTest)
#include "tst_wholetexts.moc"
