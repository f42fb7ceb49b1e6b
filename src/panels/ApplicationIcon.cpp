// Rendering the application's icon from its drawing.
#include "panels/ApplicationIcon.h"

#include "platform/Bundle.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace ApplicationIcon {

QString path(const platform::Bundle& bundle) { return bundle.resource(QStringLiteral("icons/overink.svg")); }

QImage render(const QString& svgPath, int pixels) {
    if (svgPath.isEmpty() || pixels <= 0) return {};
    QSvgRenderer renderer(svgPath);
    if (!renderer.isValid()) return {};
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    renderer.render(&painter, QRectF(0, 0, pixels, pixels));
    painter.end();
    return image;
}

QIcon icon(const platform::Bundle& bundle) {
    const QString file = path(bundle);
    QIcon result;
    // Rendered at each size rather than scaled from one picture: small sizes
    // stay sharp.
    for (const int size : kRenditionSizes) {
        const QImage image = render(file, size);
        if (!image.isNull()) result.addPixmap(QPixmap::fromImage(image));
    }
    return result;
}

} // namespace ApplicationIcon
