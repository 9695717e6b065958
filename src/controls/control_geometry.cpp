#include "controls/control_geometry.h"

#include <algorithm>

namespace cadenzo {

// ---- Shine speed button ----

ButtonBlock LayoutButton(int w, int h, int gw, int gh, int tw, int th, TButtonLayout layout,
                         int margin, int spacing) {
    const bool hasGlyph = gw > 0 && gh > 0;
    const bool hasText = tw > 0 && th > 0;
    if (!hasGlyph)
        gw = gh = 0;
    if (!hasText)
        tw = th = 0;
    const int sp = hasGlyph && hasText ? spacing : 0;
    ButtonBlock b;
    if (layout == blGlyphLeft || layout == blGlyphRight) {
        const int bw = gw + sp + tw;
        const int bh = std::max(gh, th);
        const int bx = margin < 0 ? (w - bw) / 2 : layout == blGlyphLeft ? margin : w - margin - bw;
        const int by = (h - bh) / 2;
        const int gx = layout == blGlyphLeft ? bx : bx + tw + sp;
        const int tx = layout == blGlyphLeft ? bx + gw + sp : bx;
        b.glyphX = gx;
        b.glyphY = by + (bh - gh) / 2;
        b.text = {tx, by + (bh - th) / 2, tw, th};
    } else {
        const int bw = std::max(gw, tw);
        const int bh = gh + sp + th;
        const int by = margin < 0 ? (h - bh) / 2 : layout == blGlyphTop ? margin : h - margin - bh;
        const int bx = (w - bw) / 2;
        const int gy = layout == blGlyphTop ? by : by + th + sp;
        const int ty = layout == blGlyphTop ? by + gh + sp : by;
        b.glyphX = bx + (bw - gw) / 2;
        b.glyphY = gy;
        b.text = {bx + (bw - tw) / 2, ty, tw, th};
    }
    return b;
}

std::vector<FrameLine> FrameLines(TFrameType type, bool pressed, int w, int h) {
    using enum FrameInk;
    const int r = w - 1, b = h - 1;
    switch (type) {
    case ftFlatFrame:
        if (pressed)
            return {{Shadow, 0, 0, r, 0},
                    {Shadow, 0, 0, 0, b},
                    {Highlight, r, b, 0, b},
                    {Highlight, r, b, r, 0}};
        return {{Highlight, 0, 0, r, 0},
                {Highlight, 0, 0, 0, b},
                {Shadow, r, b, 0, b},
                {Shadow, r, b, r, 0}};
    case ftNormalFrame:
        if (pressed)
            return {{Shadow, 1, 1, r, 1},     {Shadow, 1, 1, 1, b},    {DarkShadow, 0, 0, r, 0},
                    {DarkShadow, 0, 0, 0, b}, {Highlight, r, b, 0, b}, {Highlight, r, b, r, 0}};
        return {{Shadow, r - 1, b - 1, 0, b - 1}, {Shadow, r - 1, b - 1, r - 1, 0},
                {DarkShadow, r, b, 0, b},         {DarkShadow, r, b, r, 0},
                {Highlight, 0, 0, r, 0},          {Highlight, 0, 0, 0, b}};
    case ftEnclosedFrame:
        if (pressed)
            return {{Shadow, 1, 1, r - 1, 1},
                    {Shadow, 1, 1, 1, b - 1},
                    {Highlight, r - 1, b - 1, 1, b - 1},
                    {Highlight, r - 1, b - 1, r - 1, 1}};
        return {{Highlight, 1, 1, r - 1, 1},
                {Highlight, 1, 1, 1, b - 1},
                {Shadow, r - 1, b - 1, 1, b - 1},
                {Shadow, r - 1, b - 1, r - 1, 1}};
    }
    return {};
}

int FaceStep(int p, int n) {
    return n <= 1 ? 0 : std::clamp(p, 0, n - 1) * 255 / (n - 1);
}

namespace {

template <class F> TColor PerComponent(TColor c, TColor s, F f) {
    return RGB(std::uint8_t(f(GetRValue(c), GetRValue(s))),
               std::uint8_t(f(GetGValue(c), GetGValue(s))),
               std::uint8_t(f(GetBValue(c), GetBValue(s))));
}

bool IsT(const GlyphPixels& g, int x, int y, TColor t) {
    return x < 0 || y < 0 || x >= g.w || y >= g.h || g.at(x, y) == t;
}

// Transparent pixels with a glyph pixel left, right, above or below.
std::vector<bool> Outline(const GlyphPixels& g, TColor t) {
    std::vector<bool> out(g.px.size(), false);
    for (int y = 0; y < g.h; ++y)
        for (int x = 0; x < g.w; ++x)
            if (g.at(x, y) == t)
                out[std::size_t(y * g.w + x)] = !IsT(g, x - 1, y, t) || !IsT(g, x + 1, y, t) ||
                                                !IsT(g, x, y - 1, t) || !IsT(g, x, y + 1, t);
    return out;
}

// A copy of g in which every glyph (non-transparent) pixel c at (x, y) becomes
// change(c, x, y, pixel); transparent pixels stay.
template <class Change> GlyphPixels MapGlyphPixels(const GlyphPixels& g, Change change) {
    GlyphPixels out = g;
    const TColor t = g.transparent();
    for (int y = 0; y < g.h; ++y)
        for (int x = 0; x < g.w; ++x)
            if (const TColor c = g.at(x, y); c != t)
                change(c, x, y, out.at(x, y));
    return out;
}

} // namespace

GlyphPixels HotGlyph(const GlyphPixels& g, TActiveImageType mode, TColor shine) {
    GlyphPixels out = g;
    const TColor t = g.transparent();
    if (mode == aiFrameLight || mode == aiFrameLight2) {
        const std::vector<bool> ring = Outline(g, t);
        std::vector<bool> set = ring;
        if (mode == aiFrameLight2) {
            auto onRing = [&](int x, int y) {
                return x >= 0 && y >= 0 && x < g.w && y < g.h && ring[std::size_t(y * g.w + x)];
            };
            for (int y = 0; y < g.h; ++y)
                for (int x = 0; x < g.w; ++x)
                    if (g.at(x, y) == t && (onRing(x - 1, y) || onRing(x + 1, y) ||
                                            onRing(x, y - 1) || onRing(x, y + 1)))
                        set[std::size_t(y * g.w + x)] = true;
        }
        for (std::size_t i = 0; i < set.size(); ++i)
            if (set[i])
                out.px[i] = shine;
        return out;
    }
    return MapGlyphPixels(g, [mode, shine](TColor c, int x, int y, TColor& o) {
        switch (mode) {
        case aiXorLight:
            o = (c ^ shine) & 0xFFFFFF;
            break;
        case aiHalfLight:
            o = PerComponent(c, shine, [](int a, int s) { return (a + s) / 2; });
            break;
        case aiQuaterLight:
            o = PerComponent(c, shine, [](int a, int s) { return (a + 3 * s) / 4; });
            break;
        case aiAddLight:
            o = PerComponent(c, shine, [](int a, int s) { return std::min(255, a + s); });
            break;
        case aiMaskLight:
            if ((x + y) % 2 == 1)
                o = shine;
            break;
        default:
            break;
        }
    });
}

GlyphPixels DisabledGlyph(const GlyphPixels& g, TDisabledImageType mode, TColor face) {
    const TColor t = g.transparent();
    return MapGlyphPixels(g, [mode, face, t](TColor c, int x, int y, TColor& o) {
        switch (mode) {
        case diGrayscale: {
            const auto v = std::uint8_t((GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3);
            o = RGB(v, v, v);
            break;
        }
        case diAlphaHalfTrans:
            o = PerComponent(c, face, [](int a, int f) { return (a + f) / 2; });
            break;
        case diAlphaQuaterTrans:
            o = PerComponent(c, face, [](int a, int f) { return (a + 3 * f) / 4; });
            break;
        case diMaskTrans:
            if ((x + y) % 2 == 1)
                o = t;
            break;
        case diDefault:
            break;
        }
    });
}

std::vector<bool> EdgeMask(const GlyphPixels& g) {
    const TColor t = g.transparent();
    std::vector<bool> mask(g.px.size(), false);
    auto pix = [&](int x, int y) { return IsT(g, x, y, t) ? t : g.at(x, y); };
    for (int y = 0; y < g.h; ++y)
        for (int x = 0; x < g.w; ++x) {
            const TColor c = g.at(x, y);
            if (c != t)
                mask[std::size_t(y * g.w + x)] = c != pix(x + 1, y + 1) || c != pix(x - 1, y + 1);
        }
    return mask;
}

// ---- Shadow label ----

int TextTopOffset(TTextLayout layout, int height, int textHeight) {
    switch (layout) {
    case tlCenter:
        return (height - textHeight) / 2;
    case tlBottom:
        return height - textHeight;
    case tlTop:
        break;
    }
    return 0;
}

namespace {
bool IsContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}
} // namespace

std::size_t ThreeColorSplit(const std::string& utf8) {
    std::size_t s = utf8.size() / 2;
    while (s < utf8.size() && IsContinuation(utf8[s]))
        ++s;
    return s;
}

int CharacterCount(const std::string& utf8) {
    int n = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i)
        if (i == 0 || !IsContinuation(utf8[i]))
            ++n;
    return n;
}

std::vector<TColor> CharacterColors(const std::string& utf8, TTextGradation mode, TColor font,
                                    TColor mid, TColor last) {
    const int n = CharacterCount(utf8);
    std::vector<TColor> colors;
    colors.reserve(std::size_t(n));
    if (mode == tgNone || n == 1) {
        colors.assign(std::size_t(n), font);
    } else if (mode == tg2Colors || n == 2) {
        for (int i = 0; i < n; ++i)
            colors.push_back(BlendRounded(font, last, i, n));
    } else {
        const std::size_t split = ThreeColorSplit(utf8);
        const int n1 = CharacterCount(utf8.substr(0, split));
        const int n2 = n - n1;
        for (int i = 0; i < n1; ++i)
            colors.push_back(BlendRounded(font, mid, i, n1));
        for (int i = 0; i < n2; ++i)
            colors.push_back(n2 == 1 ? last : BlendRounded(mid, last, i, n2));
    }
    return colors;
}

// ---- Colour grid ----

int GridColumns(TGridOrdering o) {
    return 16 >> int(o);
}
int GridRows(TGridOrdering o) {
    return 1 << int(o);
}

GridMetrics GridSize(TGridOrdering o, int width, int height) {
    const int cols = GridColumns(o), rows = GridRows(o);
    width = std::max(0, width);
    height = std::max(0, height);
    const int w = width - width % cols, h = height - height % rows;
    return {w, h, w / cols, h / rows};
}

int CellAt(const GridMetrics& m, TGridOrdering o, int x, int y) {
    x = std::clamp(x, 0, std::max(0, m.width - 1));
    y = std::clamp(y, 0, std::max(0, m.height - 1));
    const int cw = std::max(1, m.cellWidth), ch = std::max(1, m.cellHeight);
    return std::clamp(y / ch * GridColumns(o) + x / cw, 0, 15);
}

PixRect CellRect(const GridMetrics& m, TGridOrdering o, int index) {
    const int cols = GridColumns(o);
    return {index % cols * m.cellWidth, index / cols * m.cellHeight, m.cellWidth, m.cellHeight};
}

int MoveSelection(TGridOrdering o, int s, GridKey key) {
    const int cols = GridColumns(o), rows = GridRows(o);
    if (s < 0 || s > 15) // no cell selected: start from one end
        return key == GridKey::Left || key == GridKey::Up || key == GridKey::End ? 15 : 0;
    switch (key) {
    case GridKey::Right:
        return s == 15 ? 0 : s + 1;
    case GridKey::Left:
        return s == 0 ? 15 : s - 1;
    case GridKey::Down:
        if (s == 15)
            return 0;
        return s + cols < 16 ? s + cols : s % cols + 1;
    case GridKey::Up:
        if (s == 0)
            return 15;
        return s - cols >= 0 ? s - cols : (rows - 1) * cols + s % cols - 1;
    case GridKey::Home:
        return 0;
    case GridKey::End:
        return 15;
    }
    return s;
}

} // namespace cadenzo
