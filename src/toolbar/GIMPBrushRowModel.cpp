// A brush row's thumbnail: stored file or background render, newest shown.
#include "toolbar/GIMPBrushRowModel.h"

#include "brushes/BrushFiles.h"
#include "platform/Dispatch.h"

#include <algorithm>
#include <cmath>

std::shared_ptr<GIMPBrushRowModel> GIMPBrushRowModel::create(ImportedGIMPBrush brush, QString storeDir) {
    return std::shared_ptr<GIMPBrushRowModel>(new GIMPBrushRowModel(std::move(brush), std::move(storeDir)));
}

GIMPBrushRowModel::GIMPBrushRowModel(ImportedGIMPBrush brush, QString storeDir)
    : brush_(std::move(brush)), storeDir_(std::move(storeDir)) {}

void GIMPBrushRowModel::setBrush(const ImportedGIMPBrush& brush) {
    platform::assertMainThread("GIMPBrushRowModel::setBrush");
    brush_ = brush;
    followKey();
}

void GIMPBrushRowModel::setThumbSize(QSizeF size) {
    platform::assertMainThread("GIMPBrushRowModel::setThumbSize");
    thumbSize_ = size;
    followKey();
}

void GIMPBrushRowModel::setShown(bool shown) {
    platform::assertMainThread("GIMPBrushRowModel::setShown");
    shown_ = shown;
    if (shown) {
        followKey();
        return;
    }
    // What is still on its way is not shown; a render already started
    // still finishes (and writes its file).
    loadedKey_.reset();
    latestRender_.reset();
    renderPending_ = false;
}

GIMPBrushRowModel::ThumbKey GIMPBrushRowModel::thumbKey() const {
    return ThumbKey{thumbSize_.width(), thumbSize_.height(), brush_.vbr};
}

void GIMPBrushRowModel::followKey() {
    if (!shown_) return;
    const ThumbKey key = thumbKey();
    if (loadedKey_ == key) return;
    loadedKey_ = key;
    loadThumbnail();
}

QSize GIMPBrushRowModel::pixelSize(QSizeF points) {
    // No tile comes near the bound; it keeps the rounding defined.
    const auto side = [](double v) {
        return std::isfinite(v) ? int(std::max(1L, std::lround(2 * std::clamp(v, 0.0, 1e6)))) : 1;
    };
    return QSize(side(points.width()), side(points.height()));
}

QString GIMPBrushRowModel::thumbnailPath() const {
    return storeDir_ + QLatin1Char('/') + brushFiles::thumbnailFileName(brush_.id);
}

void GIMPBrushRowModel::loadThumbnail() {
    platform::assertMainThread("GIMPBrushRowModel::loadThumbnail");
    if (!(thumbSize_.width() > 0) || !(thumbSize_.height() > 0)) return;

    // A parametric brush is always rendered: its file may predate an edit.
    if (!brush_.vbr) {
        // Read as the store reads its cells: a FIFO or a link to a device
        // there would otherwise block or exhaust the main thread.
        if (auto stored = brushFiles::readStoreImage(thumbnailPath())) {
            // Newer than any render still on its way.
            latestRender_.reset();
            renderPending_ = false;
            setImage(std::move(*stored));
            return;
        }
    }
    if (rendering_) {
        renderPending_ = true;
        return;
    }
    startRender();
}

void GIMPBrushRowModel::startRender() {
    rendering_ = true;
    renderPending_ = false;
    const brushThumbnails::Ticket ticket = brushThumbnails::beginRender(brush_.id);
    latestRender_ = ticket;
    platform::runInBackground(
        weak_from_this(),
        [ticket, brush = brush_, folder = storeDir_, path = thumbnailPath(), pixels = pixelSize(thumbSize_)] {
            auto image = brushThumbnails::renderThumbnail(brush, folder, pixels);
            // A failed write is ignored: the image is still shown.
            if (image) brushThumbnails::writeIfCurrent(ticket, *image, path);
            return image;
        },
        [ticket](GIMPBrushRowModel& model, std::optional<QImage> image) {
            model.renderFinished(ticket, std::move(image));
        },
        platform::TaskPriority::UserInitiated);
}

void GIMPBrushRowModel::renderFinished(const brushThumbnails::Ticket& ticket, std::optional<QImage> image) {
    platform::assertMainThread("GIMPBrushRowModel::renderFinished");
    rendering_ = false;
    // Nothing drawn leaves the image as it was.
    if (latestRender_ == ticket && image) setImage(std::move(*image));
    if (renderPending_ && shown_) loadThumbnail();
}

void GIMPBrushRowModel::setImage(QImage image) {
    image_ = std::move(image);
    imageSize_ = thumbSize_;
    imageChanged.emit();
}
