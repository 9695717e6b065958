#include "controls/control_geometry.h"

#include <algorithm>

namespace cadenzo {

// ---- Shine speed button ----

ButtonBlock layoutButton(int w, int h, int gw, int gh, int tw, int th, ButtonLayout layout,
                         int margin, int spacing) {
    const bool hasGlyph = gw > 0 && gh > 0;
    const bool hasText = tw > 0 && th > 0;
    if (!hasGlyph)
        gw = gh = 0;
    if (!hasText)
        tw = th = 0;
    const int sp = hasGlyph && hasText ? spacing : 0;
    ButtonBlock b;
    if (layout == ButtonLayout::GlyphLeft || layout == ButtonLayout::GlyphRight) {
        const int bw = gw + sp + tw;
        const int bh = std::max(gh, th);
        const int bx = margin < 0                          ? (w - bw) / 2
                       : layout == ButtonLayout::GlyphLeft ? margin
                                                           : w - margin - bw;
        const int by = (h - bh) / 2;
        const int gx = layout == ButtonLayout::GlyphLeft ? bx : bx + tw + sp;
        const int tx = layout == ButtonLayout::GlyphLeft ? bx + gw + sp : bx;
        b.glyphX = gx;
        b.glyphY = by + (bh - gh) / 2;
        b.text = {tx, by + (bh - th) / 2, tw, th};
    } else {
        const int bw = std::max(gw, tw);
        const int bh = gh + sp + th;
        const int by = margin < 0                         ? (h - bh) / 2
                       : layout == ButtonLayout::GlyphTop ? margin
                                                          : h - margin - bh;
        const int bx = (w - bw) / 2;
        const int gy = layout == ButtonLayout::GlyphTop ? by : by + th + sp;
        const int ty = layout == ButtonLayout::GlyphTop ? by + gh + sp : by;
        b.glyphX = bx + (bw - gw) / 2;
        b.glyphY = gy;
        b.text = {bx + (bw - tw) / 2, ty, tw, th};
    }
    return b;
}

std::vector<FrameLine> frameLines(FrameStyle type, bool pressed, int w, int h) {
    using enum FrameInk;
    const int r = w - 1, b = h - 1;
    switch (type) {
    case FrameStyle::Flat:
        if (pressed)
            return {{Shadow, 0, 0, r, 0},
                    {Shadow, 0, 0, 0, b},
                    {Highlight, r, b, 0, b},
                    {Highlight, r, b, r, 0}};
        return {{Highlight, 0, 0, r, 0},
                {Highlight, 0, 0, 0, b},
                {Shadow, r, b, 0, b},
                {Shadow, r, b, r, 0}};
    case FrameStyle::Normal:
        if (pressed)
            return {{Shadow, 1, 1, r, 1},     {Shadow, 1, 1, 1, b},    {DarkShadow, 0, 0, r, 0},
                    {DarkShadow, 0, 0, 0, b}, {Highlight, r, b, 0, b}, {Highlight, r, b, r, 0}};
        return {{Shadow, r - 1, b - 1, 0, b - 1}, {Shadow, r - 1, b - 1, r - 1, 0},
                {DarkShadow, r, b, 0, b},         {DarkShadow, r, b, r, 0},
                {Highlight, 0, 0, r, 0},          {Highlight, 0, 0, 0, b}};
    case FrameStyle::Enclosed:
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

int faceStep(int p, int n) {
    return n <= 1 ? 0 : std::clamp(p, 0, n - 1) * 255 / (n - 1);
}

namespace {

template <class F> PackedColor perComponent(PackedColor c, PackedColor s, F f) {
    return RGB(std::uint8_t(f(getRValue(c), getRValue(s))),
               std::uint8_t(f(getGValue(c), getGValue(s))),
               std::uint8_t(f(getBValue(c), getBValue(s))));
}

bool isT(const GlyphPixels& g, int x, int y, PackedColor t) {
    return x < 0 || y < 0 || x >= g.w || y >= g.h || g.at(x, y) == t;
}

// Transparent pixels with a glyph pixel left, right, above or below.
std::vector<bool> outline(const GlyphPixels& g, PackedColor t) {
    std::vector<bool> out(g.px.size(), false);
    for (int y = 0; y < g.h; ++y)
        for (int x = 0; x < g.w; ++x)
            if (g.at(x, y) == t)
                out[std::size_t(y * g.w + x)] = !isT(g, x - 1, y, t) || !isT(g, x + 1, y, t) ||
                                                !isT(g, x, y - 1, t) || !isT(g, x, y + 1, t);
    return out;
}

// A copy of g in which every glyph (non-transparent) pixel c at (x, y) becomes
// change(c, x, y, pixel); transparent pixels stay.
template <class Change> GlyphPixels mapGlyphPixels(const GlyphPixels& g, Change change) {
    GlyphPixels out = g;
    const PackedColor t = g.transparent();
    for (int y = 0; y < g.h; ++y)
        for (int x = 0; x < g.w; ++x)
            if (const PackedColor c = g.at(x, y); c != t)
                change(c, x, y, out.at(x, y));
    return out;
}

} // namespace

GlyphPixels hotGlyph(const GlyphPixels& g, ActiveImageStyle mode, PackedColor shine) {
    GlyphPixels out = g;
    const PackedColor t = g.transparent();
    if (mode == ActiveImageStyle::FrameLight || mode == ActiveImageStyle::FrameLightWide) {
        const std::vector<bool> ring = outline(g, t);
        std::vector<bool> set = ring;
        if (mode == ActiveImageStyle::FrameLightWide) {
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
    return mapGlyphPixels(g, [mode, shine](PackedColor c, int x, int y, PackedColor& o) {
        switch (mode) {
        case ActiveImageStyle::XorLight:
            o = (c ^ shine) & 0xFFFFFF;
            break;
        case ActiveImageStyle::HalfLight:
            o = perComponent(c, shine, [](int a, int s) { return (a + s) / 2; });
            break;
        case ActiveImageStyle::QuarterLight:
            o = perComponent(c, shine, [](int a, int s) { return (a + 3 * s) / 4; });
            break;
        case ActiveImageStyle::AddLight:
            o = perComponent(c, shine, [](int a, int s) { return std::min(255, a + s); });
            break;
        case ActiveImageStyle::MaskLight:
            if ((x + y) % 2 == 1)
                o = shine;
            break;
        default:
            break;
        }
    });
}

GlyphPixels disabledGlyph(const GlyphPixels& g, DisabledImageStyle mode, PackedColor face) {
    const PackedColor t = g.transparent();
    return mapGlyphPixels(g, [mode, face, t](PackedColor c, int x, int y, PackedColor& o) {
        switch (mode) {
        case DisabledImageStyle::Grayscale: {
            const auto v = std::uint8_t((getRValue(c) + getGValue(c) + getBValue(c)) / 3);
            o = RGB(v, v, v);
            break;
        }
        case DisabledImageStyle::HalfTransparent:
            o = perComponent(c, face, [](int a, int f) { return (a + f) / 2; });
            break;
        case DisabledImageStyle::QuarterTransparent:
            o = perComponent(c, face, [](int a, int f) { return (a + 3 * f) / 4; });
            break;
        case DisabledImageStyle::Masked:
            if ((x + y) % 2 == 1)
                o = t;
            break;
        case DisabledImageStyle::Default:
            break;
        }
    });
}

std::vector<bool> edgeMask(const GlyphPixels& g) {
    const PackedColor t = g.transparent();
    std::vector<bool> mask(g.px.size(), false);
    auto pix = [&](int x, int y) { return isT(g, x, y, t) ? t : g.at(x, y); };
    for (int y = 0; y < g.h; ++y)
        for (int x = 0; x < g.w; ++x) {
            const PackedColor c = g.at(x, y);
            if (c != t)
                mask[std::size_t(y * g.w + x)] = c != pix(x + 1, y + 1) || c != pix(x - 1, y + 1);
        }
    return mask;
}

// ---- Shadow label ----

int textTopOffset(TextLayout layout, int height, int textHeight) {
    switch (layout) {
    case TextLayout::Center:
        return (height - textHeight) / 2;
    case TextLayout::Bottom:
        return height - textHeight;
    case TextLayout::Top:
        break;
    }
    return 0;
}

namespace {
bool isContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}
} // namespace

std::size_t threeColorSplit(const std::string& utf8) {
    std::size_t s = utf8.size() / 2;
    while (s < utf8.size() && isContinuation(utf8[s]))
        ++s;
    return s;
}

int characterCount(const std::string& utf8) {
    int n = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i)
        if (i == 0 || !isContinuation(utf8[i]))
            ++n;
    return n;
}

std::vector<PackedColor> characterColors(const std::string& utf8, GradationStyle mode,
                                         PackedColor font, PackedColor mid, PackedColor last) {
    const int n = characterCount(utf8);
    std::vector<PackedColor> colors;
    colors.reserve(std::size_t(n));
    if (mode == GradationStyle::None || n == 1) {
        colors.assign(std::size_t(n), font);
    } else if (mode == GradationStyle::TwoColors || n == 2) {
        for (int i = 0; i < n; ++i)
            colors.push_back(blendRounded(font, last, i, n));
    } else {
        const std::size_t split = threeColorSplit(utf8);
        const int n1 = characterCount(utf8.substr(0, split));
        const int n2 = n - n1;
        for (int i = 0; i < n1; ++i)
            colors.push_back(blendRounded(font, mid, i, n1));
        for (int i = 0; i < n2; ++i)
            colors.push_back(n2 == 1 ? last : blendRounded(mid, last, i, n2));
    }
    return colors;
}

// ---- Colour grid ----

int gridColumns(GridOrder o) {
    return 16 >> int(o);
}
int gridRows(GridOrder o) {
    return 1 << int(o);
}

GridMetrics gridSize(GridOrder o, int width, int height) {
    const int cols = gridColumns(o), rows = gridRows(o);
    width = std::max(0, width);
    height = std::max(0, height);
    const int w = width - width % cols, h = height - height % rows;
    return {w, h, w / cols, h / rows};
}

int cellAt(const GridMetrics& m, GridOrder o, int x, int y) {
    x = std::clamp(x, 0, std::max(0, m.width - 1));
    y = std::clamp(y, 0, std::max(0, m.height - 1));
    const int cw = std::max(1, m.cellWidth), ch = std::max(1, m.cellHeight);
    return std::clamp(y / ch * gridColumns(o) + x / cw, 0, 15);
}

PixRect cellRect(const GridMetrics& m, GridOrder o, int index) {
    const int cols = gridColumns(o);
    return {index % cols * m.cellWidth, index / cols * m.cellHeight, m.cellWidth, m.cellHeight};
}

int moveSelection(GridOrder o, int s, GridKey key) {
    const int cols = gridColumns(o), rows = gridRows(o);
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

// ---- A path in a narrow panel ----

std::string elideFolder(std::string_view path, int width,
                        const std::function<int(std::string_view)>& textWidth) {
    const auto inside = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; };
    const std::string ellipsis = "\u2026";
    std::string shown(path);
    if (textWidth(shown) <= width)
        return shown;
    const std::size_t slash = path.rfind('/');
    const std::size_t name = slash == std::string_view::npos ? 0 : slash + 1;
    for (std::size_t cut = 1; cut <= name; ++cut) {
        if (inside(path[cut]))
            continue;
        shown = ellipsis + std::string(path.substr(cut));
        if (textWidth(shown) <= width)
            return shown;
    }
    // A name too long on its own gives up characters from its middle: its beginning and its
    // ending (the extension) still show.
    std::vector<std::size_t> starts; // where each character of the name begins, then the end
    for (std::size_t i = name; i < path.size(); ++i)
        if (!inside(path[i]))
            starts.push_back(i);
    const std::size_t count = starts.size();
    starts.push_back(path.size());
    for (std::size_t keep = count; keep-- > 1;) {
        shown = std::string(path.substr(name, starts[(keep + 1) / 2] - name)) + ellipsis +
                std::string(path.substr(starts[count - keep / 2]));
        if (textWidth(shown) <= width)
            break;
    }
    return shown;
}

} // namespace cadenzo
