#include "ui/Theme.h"

#include "platform/Compositing.h"
#include "platform/SymbolIcon.h"

#include <QApplication>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <cmath>

namespace ui {

namespace {

// The system's named tints, in their light and dark appearance.
struct Tint {
    Color light;
    Color dark;
    Color in(bool isDark) const { return isDark ? dark : light; }
};
constexpr Tint kOrange{{1, 0.584, 0, 1}, {1, 0.624, 0.039, 1}};
constexpr Tint kPurple{{0.686, 0.322, 0.871, 1}, {0.749, 0.353, 0.949, 1}};
constexpr Tint kGreen{{0.204, 0.780, 0.349, 1}, {0.188, 0.820, 0.345, 1}};
constexpr Tint kBlue{{0, 0.478, 1, 1}, {0.039, 0.518, 1, 1}};
constexpr Tint kRed{{1, 0.231, 0.188, 1}, {1, 0.271, 0.227, 1}};

// A material shows a little of what lies behind it.
constexpr double kMaterialAlpha = 0.94;

double luminance(const QColor& c) { return 0.2126 * c.redF() + 0.7152 * c.greenF() + 0.0722 * c.blueF(); }

} // namespace

Theme Theme::fromPalette(const QPalette& palette, bool compositing) {
    Theme t;
    const QColor window = palette.color(QPalette::Active, QPalette::Window);
    t.dark = luminance(window) < 0.5;
    const Color text = Color::fromQColor(palette.color(QPalette::Active, QPalette::WindowText));
    t.material = Color::fromQColor(window).withAlpha(compositing ? kMaterialAlpha : 1);
    t.primary = text.withAlpha(1);
    t.secondary = legibleOn(text.withAlpha(t.dark ? 0.55 : 0.5), t.material);
    t.tertiary = text.withAlpha(t.dark ? 0.25 : 0.26);
    t.accent = Color::fromQColor(palette.color(QPalette::Active, QPalette::Highlight)).withAlpha(1);
    t.orange = kOrange.in(t.dark);
    t.purple = kPurple.in(t.dark);
    t.green = kGreen.in(t.dark);
    t.blue = kBlue.in(t.dark);
    t.red = kRed.in(t.dark);
    return t;
}

Theme Theme::current(const QWidget* widget) {
    return fromPalette(widget ? widget->palette() : QApplication::palette(), platform::compositingManagerRunning());
}

Theme Theme::light(bool compositing) {
    // A palette built from a light button colour has dark text, as the
    // toolkit's own light palette does.
    return fromPalette(QPalette(QColor(0xef, 0xef, 0xef)), compositing);
}

Color Theme::color(ThemeColor role) const {
    switch (role) {
    case ThemeColor::accent: return accent;
    case ThemeColor::primary: return primary;
    case ThemeColor::secondary: return secondary;
    case ThemeColor::tertiary: return tertiary;
    case ThemeColor::orange: return orange;
    case ThemeColor::purple: return purple;
    case ThemeColor::green: return green;
    case ThemeColor::blue: return blue;
    case ThemeColor::red: return red;
    }
    return primary;
}

double textPixelSize(TextStyle style) {
    switch (style) {
    case TextStyle::caption: return 10;
    case TextStyle::caption2: return 10;
    }
    return 10;
}

QFont font(TextStyle style) {
    return systemFont(textPixelSize(style), style == TextStyle::caption2 ? QFont::Medium : QFont::Normal);
}

QFont systemFont(double pixelSize, QFont::Weight weight) {
    QFont f = QApplication::font();
    f.setPixelSize(std::max(1, int(std::lround(pixelSize))));
    f.setWeight(weight);
    return f;
}

double symbolBoxSide(double pointSize, SymbolWeight weight) {
    // A symbol set in a font stands a little taller than the font's size;
    // heavier weights draw a touch larger.
    double factor = 1.25;
    switch (weight) {
    case SymbolWeight::regular: break;
    case SymbolWeight::medium: factor *= 1.03; break;
    case SymbolWeight::semibold: factor *= 1.06; break;
    case SymbolWeight::bold: factor *= 1.09; break;
    }
    return std::round(std::max(0.0, pointSize) * factor);
}

QRectF symbolRect(const QRectF& frame, double pointSize, SymbolWeight weight) {
    const double side = symbolBoxSide(pointSize, weight);
    return QRectF(frame.center().x() - side / 2, frame.center().y() - side / 2, side, side);
}

QRectF snapToDevicePixels(const QPainter& painter, const QRectF& rect) {
    const QPaintDevice* device = painter.device();
    const double dpr = device ? device->devicePixelRatioF() : 1.0;
    const QTransform& world = painter.worldTransform();
    const double dx = world.dx(), dy = world.dy();
    const double left = std::round((rect.left() + dx) * dpr);
    const double top = std::round((rect.top() + dy) * dpr);
    const double width = std::max(1.0, std::round(rect.width() * dpr));
    const double height = std::max(1.0, std::round(rect.height() * dpr));
    return QRectF(left / dpr - dx, top / dpr - dy, width / dpr, height / dpr);
}

void drawSymbol(QPainter& painter, const QRectF& frame, const QString& name, const Color& tint, double pointSize,
                SymbolWeight weight) {
    if (tint.a <= 0) return;
    const QRectF box = snapToDevicePixels(painter, symbolRect(frame, pointSize, weight));
    const QPaintDevice* device = painter.device();
    const double dpr = device ? device->devicePixelRatioF() : 1.0;
    const int side = int(std::lround(box.width() * dpr));
    if (side <= 0) return;

    // Rendered once per name, device size and tint: toolbars repaint often.
    static QHash<QString, QImage> cache;
    const QColor color = tint.toQColor();
    const QString key = QStringLiteral("%1|%2|%3").arg(name).arg(side).arg(color.rgba(), 8, 16);
    auto it = cache.constFind(key);
    if (it == cache.cend()) {
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            platform::drawSymbol(p, QRectF(0, 0, side, side), name, color);
        }
        if (cache.size() > 512) cache.clear();
        it = cache.insert(key, image);
    }
    QImage image = *it;
    image.setDevicePixelRatio(dpr);
    painter.drawImage(box.topLeft(), image);
}

void makePlaceholderLegible(QWidget* field) {
    QPalette p = field->palette();
    const Color placeholder = Color::fromQColor(p.color(QPalette::Active, QPalette::PlaceholderText));
    const Color base = Color::fromQColor(p.color(QPalette::Active, QPalette::Base));
    const QColor legible = legibleOn(placeholder, base).toQColor();
    if (p.color(QPalette::PlaceholderText) == legible) return;
    p.setColor(QPalette::PlaceholderText, legible);
    field->setPalette(p);
}

void setTextColor(QWidget* widget, const Color& color) {
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, color.toQColor());
    widget->setPalette(p);
}

} // namespace ui
