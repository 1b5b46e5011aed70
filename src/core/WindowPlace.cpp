#include "core/WindowPlace.h"

#include "core/Code.h"

#include "framework/Window.h"

namespace WindowPlace {

bool restore(fw::Window& window, const QString& prefix)
{
    if (!Code::db)
        return false;
    std::unique_ptr<fw::RecordSet> row = Code::db->SQLSelect(QStringLiteral("Select * from Settings"));
    if (!row || row->eof())
        return false;
    window.setTop(static_cast<int>(row->Field(prefix + QStringLiteral("Top")).IntegerValue()));
    window.setLeft(static_cast<int>(row->Field(prefix + QStringLiteral("Left")).IntegerValue()));
    window.setHeight(static_cast<int>(row->Field(prefix + QStringLiteral("Height")).IntegerValue()));
    window.setWidth(static_cast<int>(row->Field(prefix + QStringLiteral("Width")).IntegerValue()));
    return true;
}

void save(const fw::Window& window, const QString& prefix, bool inTransaction)
{
    if (!Code::db || window.top() <= 0)
        return;
    const QString statement = QStringLiteral("Update Settings Set %1Top=%2, %1Left=%3, %1Height=%4, %1Width=%5")
                                  .arg(prefix)
                                  .arg(window.top())
                                  .arg(window.left())
                                  .arg(window.height())
                                  .arg(window.width());
    // A place the database refuses is dropped: the window opens where it
    // was saved before. What matters is that no transaction stays open.
    if (inTransaction)
        Code::db->executeInTransaction(statement);
    else
        Code::db->SQLExecute(statement);
}

} // namespace WindowPlace
