#pragma once

// The small pop-up menu for clipboard editing that a window gives its edit
// fields: Cut, Copy, Paste and Clear on the field that last got a contextual
// click in that window.

#include "framework/Controls.h"

#include <QObject>
#include <vector>

class EditContextMenu : public QObject {
    Q_OBJECT
public:
    // Binds the window's cmEdit and the fields that offer it.
    EditContextMenu(fw::ContextualMenu* cmEdit, const std::vector<fw::EditField*>& fields);

    void cmEdit_Open();
    void cmEdit_Action(const QString& item);
    // A press on a field: a contextual click opens the menu on it (true);
    // any other press is the field's own (false).
    bool field_MouseDown(fw::EditField* field);

    fw::EditField* ActiveControl = nullptr;

private:
    fw::ContextualMenu* m_cmEdit;
};
