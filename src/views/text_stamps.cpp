#include "views/text_stamps.h"

#include "controls/pixel_draw.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace cadenzo {

namespace {

constexpr QRgb PAPER = 0xFFFFFFFF;

} // namespace

const QImage& TextStamps::Stamp(const Key& key) {
    const auto found = stamps_.constFind(key);
    if (found != stamps_.constEnd())
        return *found;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleStrategy(QFont::NoAntialias); // exact colours, no blending
    font.setPixelSize(PixelSize(key.points));
    const QFontMetrics metrics(font);
    const QSize cell(std::max(metrics.horizontalAdvance(key.text), 1),
                     std::max(metrics.height(), 1));
    QImage stamp = makePicture(cell, ratio_);
    stamp.fill(PAPER);
    {
        QPainter p(&stamp);
        p.setFont(font);
        p.setPen(QColor::fromRgb(key.colour));
        p.drawText(QRect(QPoint(0, 0), cell), Qt::AlignLeft | Qt::AlignTop, key.text);
    }
    return *stamps_.insert(key, stamp);
}

void TextStamps::useRatio(qreal ratio) {
    if (ratio == ratio_)
        return;
    ratio_ = ratio;
    stamps_.clear();
    numbers_.clear();
}

void TextStamps::Write(QImage& target, int x, int y, const QString& text, int points, QRgb colour,
                       bool opaque) {
    useRatio(target.devicePixelRatio());
    copySelection(target, x, y, Stamp(Key{text, points, colour | 0xFF000000}), opaque);
}

void TextStamps::writeNumber(QImage& target, int x, int y, int number, int points, QRgb colour,
                             bool opaque) {
    useRatio(target.devicePixelRatio());
    colour |= 0xFF000000;
    if (number < 0 || number > 255) {
        Write(target, x, y, QString::number(number), points, colour, opaque);
        return;
    }
    auto set = std::find_if(numbers_.begin(), numbers_.end(), [&](const Numbers& n) {
        return n.points == points && n.colour == colour;
    });
    if (set == numbers_.end())
        set = numbers_.insert(numbers_.end(), Numbers{points, colour, {}});
    QImage& stamp = set->stamps[static_cast<std::size_t>(number)];
    if (stamp.isNull())
        stamp = Stamp(Key{QString::number(number), points, colour});
    copySelection(target, x, y, stamp, opaque);
}

// Device pixel for device pixel from the device pixel where logical (x, y) starts: glyphs keep
// their shapes.
void TextStamps::copySelection(QImage& target, int x, int y, const QImage& stamp, bool opaque) {
    x = deviceEdge(target, x);
    y = deviceEdge(target, y, true);
    const int left = std::max(x, 0), right = std::min(x + stamp.width(), target.width());
    const int top = std::max(y, 0), bottom = std::min(y + stamp.height(), target.height());
    for (int row = top; row < bottom; ++row) {
        const auto* from = reinterpret_cast<const QRgb*>(stamp.constScanLine(row - y));
        auto* to = reinterpret_cast<QRgb*>(target.scanLine(row));
        for (int col = left; col < right; ++col) {
            const QRgb pixel = from[col - x];
            if (opaque || pixel != PAPER)
                to[col] = pixel;
        }
    }
}

} // namespace cadenzo
