#include "generator/StarterLibrary.h"

#include <QDir>
#include <QPainter>
#include <QPainterPath>

namespace starter {

namespace {

const QColor footColour(38, 40, 52);

// A left foot print seen from above in a 31 x 31 box, toes up: the sole is
// wide at the ball, narrow at the arch on the inner (right) side and round at
// the heel; the big toe is on the inner side.
QPainterPath leftFootShape()
{
    QPainterPath sole;
    sole.setFillRule(Qt::WindingFill);
    sole.addEllipse(QPointF(16.0, 16.5), 7.0, 5.5);   // ball
    sole.addEllipse(QPointF(14.0, 25.0), 5.0, 5.0);   // heel
    QPolygonF arch;
    arch << QPointF(9.2, 16.5) << QPointF(22.5, 18.0) << QPointF(18.0, 22.5)
         << QPointF(18.6, 25.0) << QPointF(9.0, 25.0);
    sole.addPolygon(arch);
    sole.closeSubpath();

    struct Toe {
        double x, y, rx, ry;
    };
    static constexpr Toe toes[] = {
        {20.8, 6.2, 3.0, 3.6},   // big toe
        {15.8, 4.6, 2.1, 2.5},
        {11.9, 5.6, 1.9, 2.2},
        {8.7, 7.6, 1.7, 2.0},
        {6.3, 10.2, 1.5, 1.7},   // little toe
    };
    for (const Toe& toe : toes)
        sole.addEllipse(QPointF(toe.x, toe.y), toe.rx, toe.ry);
    return sole;
}

QImage whiteImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

bool saveBmp(const QImage& image, const QString& path)
{
    return image.save(path, "BMP");
}

} // namespace

QImage leftFootPicture()
{
    QImage image = whiteImage(31, 31);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(footColour);
    painter.drawPath(leftFootShape());
    return image;
}

// The right picture is wider; the mirrored left foot sits in its middle.
QImage rightFootPicture()
{
    QImage image = whiteImage(34, 31);
    QPainter painter(&image);
    const QImage mirrored = leftFootPicture().mirrored(true, false);
    painter.drawImage((image.width() - mirrored.width()) / 2, 0, mirrored);
    return image;
}

bool drawFootPictures(const QString& folder)
{
    const QDir dir(folder);
    return saveBmp(leftFootPicture(), dir.filePath(QStringLiteral("LeftFoot.bmp")))
        && saveBmp(rightFootPicture(), dir.filePath(QStringLiteral("RightFoot.bmp")));
}

} // namespace starter
