// Draws the thirteen 16 x 16 pictures of the HTML protocol's style block and prints the source
// file that holds them as base64 PNG texts:
//   make-protocol-pictures > src/engine/ProtocolPictures.cpp
// The pictures are drawn, not loaded, so that they can be remade and checked at any time.
#include <cstdio>

#include <QBuffer>
#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>

namespace {

const QColor kGreen(0x1e, 0x9e, 0x2c);
const QColor kRed(0xd9, 0x22, 0x1c);
const QColor kBlue(0x1f, 0x5f, 0xc8);

QImage blank()
{
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

QPen pen(const QColor& color, qreal width)
{
    QPen result(color, width);
    result.setCapStyle(Qt::RoundCap);
    result.setJoinStyle(Qt::RoundJoin);
    return result;
}

// A tick whose box starts at (x, y) and is size pixels wide.
void tick(QPainter& p, qreal x, qreal y, qreal size, qreal width = 2.2)
{
    p.setPen(pen(kGreen, width));
    QPainterPath path;
    path.moveTo(x + size * 0.08, y + size * 0.55);
    path.lineTo(x + size * 0.38, y + size * 0.85);
    path.lineTo(x + size * 0.92, y + size * 0.12);
    p.drawPath(path);
}

void cross(QPainter& p, qreal x, qreal y, qreal size, qreal width = 2.2)
{
    p.setPen(pen(kRed, width));
    p.drawLine(QPointF(x + size * 0.15, y + size * 0.15), QPointF(x + size * 0.85, y + size * 0.85));
    p.drawLine(QPointF(x + size * 0.85, y + size * 0.15), QPointF(x + size * 0.15, y + size * 0.85));
}

QImage draw(int number)
{
    QImage image = blank();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    switch (number) {
    case 1: // two green ticks
        tick(p, 0.5, 1.5, 9.5, 1.8);
        tick(p, 6, 5.5, 9.5, 1.8);
        break;
    case 2: // a green tick crossed by a red cross
        tick(p, 0.5, 0.5, 15, 2.4);
        cross(p, 2, 2, 12, 2.0);
        break;
    case 3: // a red cross with a green tick
        cross(p, 0.5, 0.5, 10, 2.0);
        tick(p, 6.5, 6.5, 9, 1.8);
        break;
    case 4: // two red crosses
        cross(p, 0.5, 0.5, 9.5, 1.8);
        cross(p, 6, 6, 9.5, 1.8);
        break;
    case 5: { // a blue sad face
        p.setPen(pen(kBlue, 1.4));
        p.setBrush(QColor(0xd6, 0xe4, 0xfa));
        p.drawEllipse(QPointF(8, 8), 6.8, 6.8);
        p.setBrush(kBlue);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(5.6, 6.2), 1.1, 1.1);
        p.drawEllipse(QPointF(10.4, 6.2), 1.1, 1.1);
        p.setPen(pen(kBlue, 1.3));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(4.5, 9.5, 7, 5), 30 * 16, 120 * 16);
        break;
    }
    case 6: // one green tick
        tick(p, 1, 1, 14, 2.6);
        break;
    case 7: // one red cross
        cross(p, 1, 1, 14, 2.6);
        break;
    case 8: { // emblem: a green disc with a white tick
        p.setPen(Qt::NoPen);
        p.setBrush(kGreen);
        p.drawEllipse(QPointF(8, 8), 7.2, 7.2);
        QPainterPath path;
        path.moveTo(4.5, 8.3);
        path.lineTo(7, 10.8);
        path.lineTo(11.5, 5.2);
        p.setPen(pen(Qt::white, 1.8));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
        break;
    }
    case 9: // emblem: a red disc with a white bar
        p.setPen(Qt::NoPen);
        p.setBrush(kRed);
        p.drawEllipse(QPointF(8, 8), 7.2, 7.2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4, 6.8, 8, 2.4));
        break;
    case 10: // emblem: an amber disc with an exclamation mark
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xf0, 0xa8, 0x18));
        p.drawEllipse(QPointF(8, 8), 7.2, 7.2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(7, 3.5, 2, 6));
        p.drawEllipse(QPointF(8, 11.8), 1.2, 1.2);
        break;
    case 11: // emblem: a blue disc with the letter i
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawEllipse(QPointF(8, 8), 7.2, 7.2);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(8, 4.6), 1.2, 1.2);
        p.drawRect(QRectF(7, 6.8, 2, 5.5));
        break;
    case 12: // emblem: a grey ring with a dot
        p.setPen(pen(QColor(0x70, 0x70, 0x70), 2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(8, 8), 6.2, 6.2);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x70, 0x70, 0x70));
        p.drawEllipse(QPointF(8, 8), 2.4, 2.4);
        break;
    case 13: // a blue horizontal bar
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawRoundedRect(QRectF(1, 6, 14, 4), 1.5, 1.5);
        break;
    default:
        break;
    }
    p.end();
    return image;
}

QByteArray png(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG", 0);
    return bytes;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc > 1) {
        // With a folder, the pictures are also written there as files to look at.
        for (int number = 1; number <= 13; ++number)
            draw(number).scaled(128, 128).save(QString::fromLocal8Bit(argv[1]) + u"/a" + QString::number(number)
                                               + u".png");
    }
    std::printf("// Generated by tools/make-protocol-pictures: the HTML protocol's cell pictures, 16 x 16 PNG.\n");
    std::printf("#include \"ProtocolPictures.h\"\n\nnamespace engine {\n\nnamespace {\n\n");
    std::printf("// clang-format off\nconstexpr const char* kPictures[ProtocolPictures::kCount] = {\n");
    for (int number = 1; number <= 13; ++number)
        std::printf("    \"%s\",\n", png(draw(number)).toBase64().constData());
    std::printf("};\n// clang-format on\n\n} // namespace\n\n");
    std::printf("QLatin1StringView ProtocolPictures::base64(int number)\n{\n");
    std::printf("    if (number < 1 || number > kCount)\n        return {};\n");
    std::printf("    return QLatin1StringView(kPictures[number - 1]);\n}\n\n} // namespace engine\n");
    return 0;
}
