#include "brushes/BrushFiles.h"

#include "brushes/BrushEngine.h"
#include "brushes/GIMPBrushParser.h"

#include <QFile>
#include <QFileInfo>

namespace brushFiles {

QString cellFileName(const QUuid& id, int position) {
    return uuidText(id) + QLatin1Char('_') + QString::number(position) + QStringLiteral(".png");
}

QString thumbnailFileName(const QUuid& id) { return uuidText(id) + QStringLiteral("_thumb.png"); }

bool isPlainFileName(const QString& name) {
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QChar(0)) &&
           name != QLatin1String(".") && name != QLatin1String("..");
}

std::optional<QString> acceptedExtension(const QString& path) {
    const QString ext = QFileInfo(path).suffix().toLower();
    if (ext == QLatin1String("gbr") || ext == QLatin1String("gih") || ext == QLatin1String("vbr")) return ext;
    return std::nullopt;
}

std::optional<ImportedGIMPBrush> importBrushFile(const QString& path, const QString& folder, bool bundled,
                                                 const PngWriter& writePNG) {
    const auto ext = acceptedExtension(path);
    if (!ext) return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) return std::nullopt;
    file.close();

    const auto parsed = GIMPBrushParser::parse(data, *ext);
    if (!parsed || parsed->cells.empty()) return std::nullopt;

    ImportedGIMPBrush record;
    record.id = QUuid::createUuid();
    for (std::size_t i = 0; i < parsed->cells.size(); ++i) {
        const QString name = cellFileName(record.id, static_cast<int>(i));
        try {
            writePNG(parsed->cells[i], folder + QLatin1Char('/') + name);
            record.cellFilenames.append(name);
        } catch (const GIMPBrushError&) {
            // The brush keeps its other cells; positions are not renumbered.
        }
    }
    if (record.cellFilenames.isEmpty()) return std::nullopt;

    if (const auto preview = brushEngine::renderBrushPreview(parsed->cells, parsed->selection,
                                                                     QSize(kPreviewWidth, kPreviewHeight))) {
        const QString name = thumbnailFileName(record.id);
        try {
            writePNG(*preview, folder + QLatin1Char('/') + name);
            record.thumbnailFilename = name;
        } catch (const GIMPBrushError&) {
        }
    }

    const QFileInfo info(path);
    record.name = parsed->name && !parsed->name->trimmed().isEmpty() ? *parsed->name : info.completeBaseName();
    record.diameter = parsed->diameter;
    record.spacing = parsed->spacing;
    record.opacity = parsed->opacity;
    record.selection = parsed->selection;
    record.vbr = parsed->vbr;
    if (bundled) record.bundledSourceID = info.fileName();
    return record;
}

std::optional<ImportedGIMPBrush> importBrushFile(const QString& path, const QString& folder, bool bundled) {
    return importBrushFile(path, folder, bundled, &GIMPBrushParser::writePNG);
}

std::vector<QImage> loadBrushCells(const ImportedGIMPBrush& brush, const QString& folder) {
    if (brush.vbr) {
        if (auto image = GIMPBrushParser::renderVBR(*brush.vbr)) return {std::move(*image)};
    }
    std::vector<QImage> cells;
    for (const QString& name : brush.cellFilenames) {
        if (!isPlainFileName(name)) continue;
        QFile file(folder + QLatin1Char('/') + name);
        if (!file.open(QIODevice::ReadOnly)) continue;
        const QImage decoded = QImage::fromData(file.readAll());
        if (decoded.isNull()) continue;
        if (auto mask = GIMPBrushParser::maskImage(decoded)) cells.push_back(std::move(*mask));
    }
    return cells;
}

} // namespace brushFiles
