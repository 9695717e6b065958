#pragma once

#include <QHash>
#include <QImage>
#include <QString>

#include <array>
#include <vector>

namespace cadenzo {

// Short texts of the pictures, rendered once per text, size and colour and then copied: a
// picture with hundreds of fret numbers is redrawn in a fraction of the time QPainter would
// take to lay each one out again. Glyphs are drawn without antialiasing, so a text pixel has
// exactly the text colour. Stamps are rendered at the target picture's device pixel ratio, so
// text on a high-DPI screen has the screen's own resolution.
class TextStamps {
public:
    // Font size in points on a 96 dpi screen.
    static int PixelSize(int points) { return (points * 96 + 36) / 72; }

    // Writes `text` with its top-left corner at (x, y). Opaque: the text's cell (advance by
    // line height) is filled white first, as text written on an opaque background; otherwise
    // only the glyphs' pixels are set.
    void Write(QImage& target, int x, int y, const QString& text, int points, QRgb colour,
               bool opaque);
    // The same for a number in decimal; fret, bar and signature numbers (0..255) are found
    // without building their text.
    void writeNumber(QImage& target, int x, int y, int number, int points, QRgb colour,
                     bool opaque);

private:
    struct Key {
        QString text;
        int points = 0;
        QRgb colour = 0;
        friend bool operator==(const Key&, const Key&) = default;
        friend size_t qHash(const Key& key, size_t seed = 0) {
            return qHashMulti(seed, key.text, key.points, key.colour);
        }
    };
    const QImage& Stamp(const Key& key);
    // Stamps of another ratio than the target's are dropped.
    void useRatio(qreal ratio);
    static void copySelection(QImage& target, int x, int y, const QImage& stamp, bool opaque);

    QHash<Key, QImage> stamps_;
    // The stamps of the numbers 0..255 in one size and colour, filled as they are needed.
    struct Numbers {
        int points = 0;
        QRgb colour = 0;
        std::array<QImage, 256> stamps;
    };
    std::vector<Numbers> numbers_;
    qreal ratio_ = 1.0;
};

} // namespace cadenzo
