#pragma once

// What a brush row of the library shows besides its looks: the brush's
// thumbnail, read from the store when a stored one can be used, otherwise
// rendered in the background at twice the tile's size and written back.

#include "brushes/BrushThumbnails.h"
#include "model/BrushRecords.h"
#include "platform/Signal.h"

#include <QImage>
#include <QSize>
#include <QSizeF>
#include <QString>

#include <memory>
#include <optional>

class GIMPBrushRowModel : public std::enable_shared_from_this<GIMPBrushRowModel> {
public:
    // Identifies one thumbnail job: the tile's size and the brush's
    // parameters. A new key loads the thumbnail again.
    struct ThumbKey {
        double width = 0;
        double height = 0;
        std::optional<VBRParams> vbr;
        friend bool operator==(const ThumbKey&, const ThumbKey&) = default;
    };

    static std::shared_ptr<GIMPBrushRowModel> create(ImportedGIMPBrush brush, QString storeDir);

    const ImportedGIMPBrush& brush() const { return brush_; }
    const QString& storeDir() const { return storeDir_; }
    // The same brush's record again, e.g. with new parameters after an edit.
    void setBrush(const ImportedGIMPBrush& brush);

    // The tile's measured size, in points; zero before the first layout.
    QSizeF thumbSize() const { return thumbSize_; }
    void setThumbSize(QSizeF size);

    // While shown, the thumbnail follows the key: shown loads it, a new key
    // loads it again, hiding drops what is still on its way.
    void setShown(bool shown);
    bool isShown() const { return shown_; }

    ThumbKey thumbKey() const;
    // The thumbnail for the current key: the stored file of a brush made
    // from brush files when it loads, otherwise a render in the background
    // (written back to the store) whose result is shown once it arrives,
    // unless a later load began meanwhile. Nothing for an empty size.
    void loadThumbnail();

    // The thumbnail, null until one is loaded, shown at imageSize() points.
    const QImage& image() const { return image_; }
    QSizeF imageSize() const { return imageSize_; }
    // A render is on its way.
    bool isRendering() const { return rendering_; }

    // The image changed.
    platform::Signal<> imageChanged;

    // Twice the size, each side to the nearest pixel and at least 1.
    static QSize pixelSize(QSizeF points);
    // "<ID>_thumb.png" in the store.
    QString thumbnailPath() const;

private:
    GIMPBrushRowModel(ImportedGIMPBrush brush, QString storeDir);
    void followKey();
    void startRender();
    void renderFinished(const brushThumbnails::Ticket& ticket, std::optional<QImage> image);
    void setImage(QImage image);

    ImportedGIMPBrush brush_;
    QString storeDir_;
    QSizeF thumbSize_;
    bool shown_ = false;
    // The key the thumbnail was last loaded for while shown.
    std::optional<ThumbKey> loadedKey_;
    QImage image_;
    QSizeF imageSize_;
    // One render at a time per row: a key that changes while one runs is
    // rendered once it is back, so a slider drag queues no backlog.
    bool rendering_ = false;
    bool renderPending_ = false;
    // The render whose result may be shown; older results are dropped.
    std::optional<brushThumbnails::Ticket> latestRender_;
};
