// Draws the program icon: a white computer mouse with its cable and an orange wheel, on a
// transparent square canvas, 128 × 128 unless another size is given (the drawing is scaled, so
// every size comes from the same shapes). An output named *.ico gets the Windows icon instead:
// every size Explorer, the taskbar and Alt-Tab ask for, in one file.
// Usage: tamblo_draw_icon <output.png> [size] | tamblo_draw_icon <output.ico>
#include <QBuffer>
#include <QDataStream>
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cstdio>
#include <cstdlib>

namespace {

const QColor kOutline(0x4a, 0x52, 0x5e);
const QColor kOrange(0xff, 0x8a, 0x14);
const QColor kOrangeDark(0xc8, 0x5f, 0x00);

QPainterPath bodyOutline()
{
    // Egg-shaped: narrower towards the cable end, fuller under the palm.
    QPainterPath body;
    body.moveTo(64, 38);
    body.cubicTo(86, 38, 97, 55, 97, 77);
    body.cubicTo(97, 104, 84, 122, 64, 122);
    body.cubicTo(44, 122, 31, 104, 31, 77);
    body.cubicTo(31, 55, 42, 38, 64, 38);
    return body;
}

void drawShadow(QPainter& painter)
{
    QRadialGradient shadow(QPointF(66, 118), 36);
    shadow.setColorAt(0, QColor(0, 0, 0, 70));
    shadow.setColorAt(1, QColor(0, 0, 0, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(shadow);
    painter.drawEllipse(QPointF(66, 118), 36, 9);
}

void drawCable(QPainter& painter)
{
    QPainterPath cable;
    cable.moveTo(64, 40);
    cable.cubicTo(64, 22, 78, 12, 94, 16);
    cable.cubicTo(108, 20, 114, 12, 122, 4);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kOutline, 6, Qt::SolidLine, Qt::RoundCap));
    painter.drawPath(cable);
    painter.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawPath(cable);
}

void drawBody(QPainter& painter, const QPainterPath& body)
{
    QLinearGradient shade(31, 38, 97, 122);
    shade.setColorAt(0, Qt::white);
    shade.setColorAt(1, QColor(0xdd, 0xe2, 0xe8));
    painter.setPen(QPen(kOutline, 3));
    painter.setBrush(shade);
    painter.drawPath(body);

    // The seams between the two buttons and the palm rest, kept inside the body.
    painter.save();
    painter.setClipPath(body);
    painter.setPen(QPen(kOutline, 2));
    painter.drawLine(QPointF(64, 38), QPointF(64, 74));
    QPainterPath seam;
    seam.moveTo(28, 76);
    seam.quadTo(64, 84, 100, 76);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(seam);
    painter.restore();
}

void drawWheel(QPainter& painter)
{
    painter.setPen(QPen(kOrangeDark, 1.5));
    painter.setBrush(kOrange);
    painter.drawRoundedRect(QRectF(58.5, 47, 11, 20), 5.5, 5.5);
    painter.setPen(QPen(QColor(255, 255, 255, 150), 1.5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(61.5, 51), QPointF(61.5, 57));
}

constexpr int kDrawingSize = 128;

QImage draw(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(double(size) / kDrawingSize, double(size) / kDrawingSize);
    drawShadow(painter);
    drawCable(painter);
    drawBody(painter, bodyOutline());
    drawWheel(painter);
    painter.end();
    return image;
}

QByteArray png(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// An icon file of PNG images (which Windows reads since Vista): a header, one directory entry per
// image, then the images.
bool saveWindowsIcon(const QString& path)
{
    const int sizes[] = {16, 24, 32, 48, 64, 128, 256};
    QList<QByteArray> images;
    for (int size : sizes)
        images << png(draw(size));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QDataStream out(&file);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(0) << quint16(1) << quint16(images.size());
    quint32 offset = 6 + 16 * images.size();
    for (int i = 0; i < images.size(); ++i) {
        const quint8 side = sizes[i] == 256 ? 0 : quint8(sizes[i]);  // 0 stands for 256
        out << side << side << quint8(0) << quint8(0) << quint16(1) << quint16(32)
            << quint32(images[i].size()) << offset;
        offset += images[i].size();
    }
    for (const QByteArray& image : images)
        out.writeRawData(image.constData(), image.size());
    return out.status() == QDataStream::Ok && file.flush();
}

}  // namespace

int main(int argc, char** argv)
{
    const int size = argc == 3 ? std::atoi(argv[2]) : kDrawingSize;
    if (argc < 2 || argc > 3 || size < 1 || size > 1024) {
        std::fprintf(stderr, "usage: %s <output.png> [size, 1 to 1024] | %s <output.ico>\n", argv[0], argv[0]);
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    if (output.endsWith(QLatin1String(".ico")))
        return saveWindowsIcon(output) ? 0 : 1;
    return draw(size).save(output, "PNG") ? 0 : 1;
}
