#include "support/Windows.h"

#include "framework/ListBox.h"
#include "framework/Window.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QDropEvent>
#include <QEvent>
#include <QMimeData>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QTest>
#include <QTextItem>
#include <QUrl>
#include <QWidget>

namespace testing {

namespace {

// A paint device that keeps the texts drawn on it and nothing else.
class TextRecorder final : public QPaintDevice, private QPaintEngine {
public:
    explicit TextRecorder(const QSize& size) : QPaintEngine(QPaintEngine::AllFeatures), m_size(size) {}
    std::vector<DrawnText> texts;

    QPaintEngine* paintEngine() const override { return const_cast<TextRecorder*>(this); }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth: return m_size.width();
        case PdmHeight: return m_size.height();
        case PdmWidthMM: return m_size.width() * 254 / 960;
        case PdmHeightMM: return m_size.height() * 254 / 960;
        case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return 96;
        case PdmDepth: return 32;
        case PdmNumColors: return INT_MAX;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return static_cast<int>(QPaintDevice::devicePixelRatioFScale());
        }
        return 0;
    }

private:
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return User; }
    void updateState(const QPaintEngineState& state) override
    {
        if (state.state() & DirtyTransform)
            m_transform = state.transform();
    }
    void drawTextItem(const QPointF& at, const QTextItem& item) override
    {
        texts.push_back({item.text(), item.font(), m_transform.map(at).toPoint()});
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPath(const QPainterPath&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}

    QSize m_size;
    QTransform m_transform;
};

} // namespace

std::vector<DrawnText> drawnTexts(QWidget* widget)
{
    TextRecorder recorder(widget->size());
    widget->render(&recorder);
    return std::move(recorder.texts);
}

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

void clickCell(const fw::ListBox* list, int row, int column, bool twice)
{
    const auto* view = qobject_cast<QAbstractItemView*>(list->widget());
    QWidget* frame = view->window();
    const QPoint at = view->viewport()->mapTo(frame, view->visualRect(view->model()->index(row, column)).center());
    if (twice)
        QTest::mouseDClick(frame->windowHandle(), Qt::LeftButton, {}, at);
    else
        QTest::mouseClick(frame->windowHandle(), Qt::LeftButton, {}, at);
}

} // namespace testing
