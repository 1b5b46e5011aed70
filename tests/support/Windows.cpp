#include "support/Windows.h"

#include "framework/ListBox.h"
#include "framework/Window.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QDropEvent>
#include <QEvent>
#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <QWidget>

namespace testing {

void closeAllWindows()
{
    fw::Window::closeAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool dropFiles(QWidget* target, const QPoint& at, const QStringList& posixPaths)
{
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString& path : posixPaths)
        urls << QUrl::fromLocalFile(path);
    mime.setUrls(urls);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    return enter.isAccepted();
}

QStringList columnTexts(const fw::ListBox* list, int column)
{
    QStringList texts;
    for (int row = 0; row < list->ListCount(); ++row)
        texts << list->Cell(row, column);
    return texts;
}

QColor textColour(const fw::ListBox* list, int row, int column)
{
    fw::Graphics g(100, 25, Qt::black);
    return list->CellTextPaint(g, row, column, 4, 15) ? QColor() : g.ForeColor;
}

QWidget* viewportOf(const fw::ListBox* list)
{
    return qobject_cast<QAbstractItemView*>(list->widget())->viewport();
}

QPoint rowPoint(const fw::ListBox* list, int row)
{
    auto* view = qobject_cast<QAbstractItemView*>(list->widget());
    return row < 0 ? QPoint(20, view->viewport()->height() - 5)
                   : view->visualRect(view->model()->index(row, 0)).center();
}

void clickRow(const fw::ListBox* list, int row, bool twice)
{
    if (twice)
        QTest::mouseDClick(viewportOf(list), Qt::LeftButton, {}, rowPoint(list, row));
    else
        QTest::mouseClick(viewportOf(list), Qt::LeftButton, {}, rowPoint(list, row));
}

} // namespace testing
