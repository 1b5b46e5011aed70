#include "library/EditContextMenu.h"

EditContextMenu::EditContextMenu(fw::ContextualMenu* cmEdit, const std::vector<fw::EditField*>& fields)
    : m_cmEdit(cmEdit)
{
    connect(m_cmEdit, &fw::Control::opened, this, &EditContextMenu::cmEdit_Open);
    connect(m_cmEdit, &fw::ContextualMenu::action, this, &EditContextMenu::cmEdit_Action);
    // A window that binds a field's presses to a handler of its own keeps
    // it; that handler hands the press on to field_MouseDown.
    for (fw::EditField* field : fields) {
        if (!field->mouseDown)
            field->mouseDown = [this, field](int, int) { return field_MouseDown(field); };
    }
}

void EditContextMenu::cmEdit_Open()
{
    for (const char* row : {"Cut", "Copy", "Paste", "Clear", "-", "Cancel"})
        m_cmEdit->AddRow(QLatin1String(row));
}

void EditContextMenu::cmEdit_Action(const QString& item)
{
    if (!ActiveControl)
        return;
    if (item == QLatin1String("Cut"))
        ActiveControl->cut();
    else if (item == QLatin1String("Copy"))
        ActiveControl->copy();
    else if (item == QLatin1String("Paste"))
        ActiveControl->paste();
    else if (item == QLatin1String("Clear"))
        ActiveControl->clear();
}

bool EditContextMenu::field_MouseDown(fw::EditField* field)
{
    if (!fw::IsContextualClick())
        return false;
    ActiveControl = field;
    // Handled: the field does not see the press, so its selection stays
    // for the menu to act on.
    m_cmEdit->Open();
    return true;
}
