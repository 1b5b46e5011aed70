#include "player/FileMessage.h"

#include "library/SongLocations.h"

void openFileMessage(fw::Window& window)
{
    auto* st1 = window.control<fw::StaticText>(QStringLiteral("st1"));
    fw::lowerTextSize({st1});
    st1->setTop(st1->top() + 10);
}

void showMissingSongFile(const QString& title)
{
    SongLocations& locations = SongLocations::instance();
    locations.Show();
    locations.ScrollToSong(title);
    SongError::instance().Show();
}
