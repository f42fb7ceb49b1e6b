#include "platform/SymbolIcon.h"

#include "platform/Bundle.h"

#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QSvgRenderer>

#include <cmath>
#include <memory>

namespace platform {

namespace {

QSvgRenderer* renderer(const QString& name) {
    static QHash<QString, std::shared_ptr<QSvgRenderer>> cache;
    if (auto it = cache.constFind(name); it != cache.cend()) return it->get();
    const QString path = symbolPath(name);
    std::shared_ptr<QSvgRenderer> r;
    if (!path.isEmpty()) {
        r = std::make_shared<QSvgRenderer>(path);
        if (!r->isValid()) r.reset();
    }
    cache.insert(name, r);
    return r.get();
}

QRectF squareIn(const QRectF& rect) {
    const double side = std::min(rect.width(), rect.height());
    return QRectF(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side);
}

class SymbolIconEngine : public QIconEngine {
public:
    SymbolIconEngine(QString name, QColor tint) : name_(std::move(name)), tint_(tint) {}
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        QColor c = tint_;
        if (mode == QIcon::Disabled) c.setAlphaF(c.alphaF() * 0.4f);
        drawSymbol(*painter, rect, name_, c);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap pm(size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        paint(&p, QRect(QPoint(), size), mode, state);
        return pm;
    }
    QIconEngine* clone() const override { return new SymbolIconEngine(name_, tint_); }

private:
    QString name_;
    QColor tint_;
};

} // namespace

QString symbolPath(const QString& name) {
    if (name.isEmpty() || name.contains('/') || name.startsWith('.')) return {};
    return Bundle::main().resource(QStringLiteral("symbols/%1.svg").arg(name));
}

bool hasSymbol(const QString& name) { return renderer(name) != nullptr; }

QPixmap symbolPixmap(const QString& name, QSize size, const QColor& tint, qreal dpr) {
    if (!renderer(name) || size.isEmpty()) return {};
    QPixmap pm(QSize(int(std::ceil(size.width() * dpr)), int(std::ceil(size.height() * dpr))));
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    drawSymbol(p, QRectF(QPointF(), QSizeF(size)), name, tint);
    return pm;
}

QIcon symbolIcon(const QString& name, const QColor& tint) {
    if (!renderer(name)) return {};
    return QIcon(new SymbolIconEngine(name, tint));
}

void drawSymbol(QPainter& painter, const QRectF& rect, const QString& name, const QColor& tint) {
    QSvgRenderer* r = renderer(name);
    if (!r || rect.isEmpty()) return;
    // Render black art into a layer, then keep its coverage in the tint.
    const QRectF target = squareIn(rect);
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    QImage layer(QSize(int(std::ceil(target.width() * dpr)), int(std::ceil(target.height() * dpr))),
                 QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(dpr);
    layer.fill(Qt::transparent);
    {
        QPainter lp(&layer);
        lp.setRenderHint(QPainter::Antialiasing);
        r->render(&lp, QRectF(QPointF(), target.size()));
        lp.setCompositionMode(QPainter::CompositionMode_SourceIn);
        lp.fillRect(QRectF(QPointF(), target.size()), tint);
    }
    painter.drawImage(target.topLeft(), layer);
}

} // namespace platform
