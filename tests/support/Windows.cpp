#include "support/Windows.h"

#include "framework/Window.h"

#include <QCoreApplication>
#include <QEvent>

namespace testing {

void closeAllWindows()
{
    fw::Window::closeAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace testing
