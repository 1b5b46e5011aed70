#include "player/FileMessage.h"

void openFileMessage(fw::Window& window)
{
    auto* st1 = window.control<fw::StaticText>(QStringLiteral("st1"));
    fw::lowerTextSize({st1});
    st1->setTop(st1->top() + 10);
}
