// Draws the start screen's picture and saves it as quorva.jpg: the firm's
// name under a row of buildings. Run once by hand when the picture changes
// ("cmake --build build --target quorva_make_picture", then run it with the
// output path); the JPEG it writes is kept in the tree.
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

namespace {

void Building(QPainter& p, int x, int baseline, int w, int h, const QColor& color) {
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawRect(x, baseline - h, w, h);
    p.setBrush(QColor(255, 236, 150));
    for (int y = baseline - h + 8; y < baseline - 12; y += 14) {
        for (int wx = x + 6; wx + 7 < x + w - 3; wx += 12) {
            p.drawRect(wx, y, 7, 8);
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output.jpg>\n", argv[0]);
        return 2;
    }
    QGuiApplication app(argc, argv);
    QImage image(190, 180, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, 180);
    sky.setColorAt(0, QColor(30, 60, 140));
    sky.setColorAt(1, QColor(140, 190, 240));
    p.fillRect(image.rect(), sky);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 60));
    p.drawEllipse(QPointF(150, 30), 18, 18);

    const int baseline = 124;
    Building(p, 10, baseline, 40, 70, QColor(40, 50, 90));
    Building(p, 52, baseline, 46, 100, QColor(25, 35, 75));
    Building(p, 100, baseline, 38, 82, QColor(45, 60, 105));
    Building(p, 140, baseline, 40, 58, QColor(35, 45, 85));
    p.fillRect(0, baseline, 190, 56, QColor(245, 245, 240));
    p.fillRect(0, baseline, 190, 3, QColor(200, 30, 40));

    QFont name(QStringLiteral("Liberation Sans"));
    name.setPixelSize(30);
    name.setBold(true);
    p.setFont(name);
    p.setPen(QColor(0, 0, 128));
    p.drawText(QRect(0, baseline + 4, 190, 32), Qt::AlignCenter, QStringLiteral("QUORVA"));
    QFont line(QStringLiteral("Liberation Sans"));
    line.setPixelSize(11);
    p.setFont(line);
    p.setPen(QColor(60, 60, 60));
    p.drawText(QRect(0, baseline + 34, 190, 16), Qt::AlignCenter,
               QStringLiteral("Administração de Condomínios"));
    p.end();
    return image.save(QString::fromLocal8Bit(argv[1]), "JPEG", 90) ? 0 : 1;
}
