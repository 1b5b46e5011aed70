#include "core/Settings.h"

#include "core/Code.h"

Settings::Settings()
    : SharedWindow(QStringLiteral("Settings"))
{
}

void Settings::CreateControls()
{
    rbQuickTime = control<fw::RadioButton>(QStringLiteral("rbQuickTime"));
    rbWMP = control<fw::RadioButton>(QStringLiteral("rbWMP"));
    pbSave = control<fw::PushButton>(QStringLiteral("pbSave"));
    connect(rbQuickTime, &fw::Control::opened, this, &Settings::rbQuickTime_Open);
    connect(rbWMP, &fw::Control::opened, this, &Settings::rbWMP_Open);
    connect(rbQuickTime, &fw::RadioButton::action, this, &Settings::rbQuickTime_Action);
    connect(rbWMP, &fw::RadioButton::action, this, &Settings::rbWMP_Action);
    connect(pbSave, &fw::PushButton::action, this, &Settings::pbSave_Action);
}

// Selecting a button here raises its action, which enables Save; each open
// handler disables Save afterwards, so the window opens with Save disabled.
void Settings::rbQuickTime_Open()
{
    if (Code::UseQuickTime)
        rbQuickTime->setValue(true);
    pbSave->setEnabled(false);
}

void Settings::rbWMP_Open()
{
    if (!Code::UseQuickTime)
        rbWMP->setValue(true);
    pbSave->setEnabled(false);
}

void Settings::rbQuickTime_Action()
{
    Code::UseQuickTime = true;
    pbSave->setEnabled(true);
}

void Settings::rbWMP_Action()
{
    Code::UseQuickTime = false;
    pbSave->setEnabled(true);
}

void Settings::pbSave_Action()
{
    const QString statement = QStringLiteral("Update Settings Set UseQuickTime='%1'")
                                  .arg(Code::UseQuickTime ? QStringLiteral("True") : QStringLiteral("False"));
    if (!Code::db->executeInTransaction(statement)) {
        // The choice holds for this run; Save stays offered to store it.
        Code::toldDatabaseFailure(QStringLiteral("Could not save the setting. Error: "));
        return;
    }
    pbSave->setEnabled(false);
}
