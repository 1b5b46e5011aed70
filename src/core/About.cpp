#include "core/About.h"

#include "core/Code.h"

#include "framework/Application.h"
#include "framework/Platform.h"

About::About()
    : SharedWindow(QStringLiteral("About"))
{
}

void About::CreateControls()
{
    stVersion = control<fw::StaticText>(QStringLiteral("stVersion"));
    stProgramName = control<fw::StaticText>(QStringLiteral("stProgramName"));
    stHomePage = control<fw::StaticText>(QStringLiteral("stHomePage"));
    stBy = control<fw::StaticText>(QStringLiteral("stBy"));
    stHomePage->mouseDown = [this](int x, int y) { return stHomePage_MouseDown(x, y); };
    stHomePage->mouseUp = [this](int x, int y) { stHomePage_MouseUp(x, y); };
}

void About::Event_Open()
{
    stHomePage->setText(Code::HomePage);
    const fw::Application* app = fw::Application::instance();
    stVersion->setText(QStringLiteral("Version: ") + (app ? app->LongVersion() : QString()));
    fw::lowerTextSize({stProgramName, stBy, stHomePage, stVersion});
}

bool About::stHomePage_MouseDown(int x, int y)
{
    Q_UNUSED(x);
    Q_UNUSED(y);
    return true;   // so that the label also gets the release
}

void About::stHomePage_MouseUp(int x, int y)
{
    Q_UNUSED(x);
    Q_UNUSED(y);
    fw::ShowURL(Code::HomePage);
}
