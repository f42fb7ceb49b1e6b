// The brush store operations of the drawing state: library order, loading
// cells in the background, deletion, import, the install of the shipped
// brushes, re-rendering a parametric brush and tinted cells. The index file
// is DrawingStateBrushIndex.cpp.

#include "brushes/BrushEngine.h"
#include "brushes/BrushFiles.h"
#include "brushes/BrushThumbnails.h"
#include "brushes/GIMPBrushParser.h"
#include "model/DrawingState.h"
#include "platform/Bundle.h"
#include "platform/Dispatch.h"
#include "platform/GroupedLog.h"
#include "platform/StoredFile.h"
#include "platform/SystemLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QThread>

#include <algorithm>
#include <cmath>

namespace {

QString storePath(const QString& folder, const QString& name) { return folder + QLatin1Char('/') + name; }

// Removes a file named by the index, if the name is one the store may use.
void removeStoreFile(const QString& folder, const QString& name) {
    if (brushFiles::isPlainFileName(name)) QFile::remove(storePath(folder, name));
}

// A colour component as a key byte: × 255 to the nearest integer.
long keyComponent(double v) { return std::isfinite(v) ? std::lround(std::clamp(v, -1e6, 1e6) * 255) : 0; }

} // namespace

std::vector<ImportedGIMPBrush> DrawingState::sortedGIMPBrushes() const {
    std::vector<ImportedGIMPBrush> shipped, own;
    for (const auto& b : importedGIMPBrushes.get()) (b.bundledSourceID ? shipped : own).push_back(b);
    // Most elongated first; among equal shapes the harder first.
    const auto shape = [](const ImportedGIMPBrush& b) {
        return b.vbr ? 1 / std::max(b.vbr->aspectRatio, 0.0001) : 1.0;
    };
    const auto hardness = [](const ImportedGIMPBrush& b) { return b.vbr ? b.vbr->hardness : 0.0; };
    std::stable_sort(shipped.begin(), shipped.end(), [&](const auto& a, const auto& b) {
        const double ka = shape(a), kb = shape(b);
        return ka < kb || (ka == kb && hardness(a) > hardness(b));
    });
    shipped.insert(shipped.end(), own.begin(), own.end());
    return shipped;
}

bool DrawingState::isActiveGIMPBrushLoaded() const {
    const auto id = activeGIMPBrushID.get();
    if (!id) return false;
    const auto it = gimpStampCache.constFind(*id);
    return it != gimpStampCache.constEnd() && !it->empty();
}

void DrawingState::loadGIMPBrushStamps(std::optional<QUuid> id) {
    platform::assertMainThread("DrawingState::loadGIMPBrushStamps");
    if (!id || gimpStampCache.contains(*id)) return;
    const auto& list = importedGIMPBrushes.get();
    const auto it = std::find_if(list.begin(), list.end(), [&](const auto& b) { return b.id == *id; });
    if (it == list.end()) return;

    const std::uint64_t token = ++lastStampLoad_;
    stampLoads_.insert(*id, token);
    platform::runInBackground(
        weak_from_this(),
        [record = *it, folder = gimpBrushesDirectory()] { return brushFiles::loadBrushCells(record, folder); },
        [brushID = *id, token](DrawingState& state, std::vector<QImage> cells) {
            state.finishStampLoad(brushID, token, std::move(cells));
        },
        platform::TaskPriority::UserInitiated);
}

void DrawingState::startStampLoads(std::vector<ImportedGIMPBrush> brushes) {
    // A task per chunk, not per brush: a hundred thousand tiny tasks would
    // keep start-up queueing them and the pool's threads fighting over the
    // queue. A few chunks per thread at least, so that a small library still
    // loads on every core.
    constexpr std::size_t kMaxChunk = 256;
    const auto threads = static_cast<std::size_t>(std::max(QThread::idealThreadCount(), 1));
    const std::size_t chunkSize = std::clamp<std::size_t>(brushes.size() / (4 * threads), 1, kMaxChunk);
    // Cells that cannot be loaded are logged once all chunks are in, one line
    // per cause: a store whose files are gone has as many as it has brushes.
    // In index order, whichever chunk finishes first.
    struct Skipped {
        std::vector<platform::GroupedLog> chunks;
        std::size_t chunksLeft = 0;
    };
    auto skipped = std::make_shared<Skipped>();
    skipped->chunksLeft = (brushes.size() + chunkSize - 1) / chunkSize;
    skipped->chunks.resize(skipped->chunksLeft);
    const QString folder = gimpBrushesDirectory();
    for (std::size_t first = 0; first < brushes.size(); first += chunkSize) {
        const auto end = brushes.begin() + std::ptrdiff_t(std::min(first + chunkSize, brushes.size()));
        std::vector<ImportedGIMPBrush> chunk(std::make_move_iterator(brushes.begin() + std::ptrdiff_t(first)),
                                             std::make_move_iterator(end));
        std::vector<std::pair<QUuid, std::uint64_t>> tokens;
        tokens.reserve(chunk.size());
        for (const auto& b : chunk) {
            tokens.emplace_back(b.id, ++lastStampLoad_);
            stampLoads_.insert(b.id, tokens.back().second);
        }
        using ChunkResult = std::pair<std::vector<std::vector<QImage>>, platform::GroupedLog>;
        platform::runInBackground(
            weak_from_this(),
            [chunk = std::move(chunk), folder] {
                ChunkResult result;
                result.first.reserve(chunk.size());
                for (const auto& b : chunk) {
                    if (platform::backgroundWorkCancelled()) break;
                    result.first.push_back(brushFiles::loadBrushCells(b, folder, &result.second));
                }
                return result;
            },
            [tokens = std::move(tokens), skipped, folder, part = first / chunkSize](DrawingState& state,
                                                                                    ChunkResult result) {
                bool stored = false;
                for (std::size_t i = 0; i < std::min(tokens.size(), result.first.size()); ++i)
                    stored |= state.storeStampLoad(tokens[i].first, tokens[i].second, std::move(result.first[i]));
                if (stored) state.willChange.emit();
                skipped->chunks[part] = std::move(result.second);
                if (--skipped->chunksLeft > 0) return;
                platform::GroupedLog all;
                for (const auto& chunk : skipped->chunks) all.merge(chunk);
                all.warn([&folder](qsizetype count, const QString& cause) {
                    return QStringLiteral("Brush store %1: %2 skipped (%3)")
                        .arg(folder, platform::GroupedLog::counted(count, "cell image"), cause);
                });
            },
            platform::TaskPriority::Utility);
    }
}

void DrawingState::finishStampLoad(const QUuid& id, std::uint64_t token, std::vector<QImage> cells) {
    platform::assertMainThread("DrawingState::finishStampLoad");
    if (storeStampLoad(id, token, std::move(cells))) willChange.emit();
}

bool DrawingState::storeStampLoad(const QUuid& id, std::uint64_t token, std::vector<QImage> cells) {
    const auto it = stampLoads_.constFind(id);
    if (it == stampLoads_.constEnd() || *it != token) return false;
    stampLoads_.erase(it);
    const bool empty = cells.empty();
    gimpStampCache.insert(id, std::move(cells));
    if (empty && activeGIMPBrushID.get() == id) dropActiveBrush();
    return true;
}

void DrawingState::dropActiveBrush() {
    activeGIMPBrushID = std::nullopt;
    selectedTool = DrawingTool::pen;
}

void DrawingState::deleteGIMPBrush(const ImportedGIMPBrush& brushRef) {
    platform::assertMainThread("DrawingState::deleteGIMPBrush");
    // A copy: callers may pass an element of importedGIMPBrushes, which the
    // removal below frees.
    const ImportedGIMPBrush brush = brushRef;
    gimpStampCache.remove(brush.id);
    stampLoads_.remove(brush.id);
    tintedStampCache.removeKeysWithPrefix(uuidText(brush.id));
    const QString folder = gimpBrushesDirectory();
    // A thumbnail render still running for the brush must not write it back.
    brushThumbnails::retire(brush.id, storePath(folder, brushFiles::thumbnailFileName(brush.id)));
    for (const QString& name : brush.cellFilenames) removeStoreFile(folder, name);
    if (brush.thumbnailFilename) removeStoreFile(folder, *brush.thumbnailFilename);
    importedGIMPBrushes.modify(
        [&](auto& list) { std::erase_if(list, [&](const auto& b) { return b.id == brush.id; }); });
    if (activeGIMPBrushID.get() == brush.id) dropActiveBrush();
}

namespace {

// One import: its files, the next to read, and what it could not use.
struct ImportRun {
    std::weak_ptr<DrawingState> state;
    QStringList paths;
    qsizetype next = 0;
    QString folder;
    bool bundled = false;
    brushFiles::ImportProblems problems;
};

// Imports the run's next file in the background, hands its record over,
// then goes on with the next; runs to the end even when the state is gone,
// and logs what it could not use once, at the end.
void importNext(std::shared_ptr<ImportRun> run) {
    if (run->next >= run->paths.size()) {
        if (auto state = run->state.lock()) state->saveGIMPBrushManifest();
        run->problems.log();
        return;
    }
    const QString path = run->paths[run->next++];
    platform::runInBackgroundOrUndo(
        [path, folder = run->folder, bundled = run->bundled] {
            brushFiles::ImportProblems problems;
            auto record = brushFiles::importBrushFile(path, folder, bundled, &GIMPBrushParser::writePNG, &problems);
            return std::make_pair(std::move(record), std::move(problems));
        },
        // One brush at a time: the next file is read once this record is in.
        [run](std::pair<std::optional<ImportedGIMPBrush>, brushFiles::ImportProblems> result) {
            run->problems.merge(result.second);
            if (auto state = run->state.lock(); state && result.first) {
                state->importedGIMPBrushes.modify([&](auto& list) { list.push_back(*result.first); });
                state->loadGIMPBrushStamps(result.first->id);
            }
            importNext(run);
        },
        // Quitting before the record is taken: its images would never be
        // named by the index.
        [folder = run->folder](std::pair<std::optional<ImportedGIMPBrush>, brushFiles::ImportProblems> result) {
            if (!result.first) return;
            for (const QString& name : result.first->cellFilenames) removeStoreFile(folder, name);
            if (result.first->thumbnailFilename) removeStoreFile(folder, *result.first->thumbnailFilename);
        },
        platform::TaskPriority::UserInitiated);
}

} // namespace

void DrawingState::importGIMPBrushes(const QStringList& paths, bool bundled) {
    platform::assertMainThread("DrawingState::importGIMPBrushes");
    const QString folder = gimpBrushesDirectory();
    QDir().mkpath(folder);
    writeBrushIndexBeforeImport();
    auto run = std::make_shared<ImportRun>();
    run->state = weak_from_this();
    run->paths = paths;
    run->folder = folder;
    run->bundled = bundled;
    importNext(std::move(run));
}

void DrawingState::installBundledGIMPBrushes() {
    platform::assertMainThread("DrawingState::installBundledGIMPBrushes");
    const QStringList paths =
        env_.bundledBrushFiles ? env_.bundledBrushFiles() : platform::Bundle::main().resourcePaths("vbr", "brushes");
    if (paths.isEmpty()) return;
    if (!brushIndexUnreadable_.isEmpty()) {
        // Earlier copies are most likely in the store already, and new ones
        // could not be recorded either.
        platform::SystemLog::warning(QStringLiteral("Shipped brushes not installed: the brush index cannot be "
                                                    "read (%1)")
                                         .arg(brushIndexUnreadable_));
        return;
    }
    QSet<QString> shippedNames;
    for (const QString& p : paths) shippedNames.insert(QFileInfo(p).fileName());

    const auto before = importedGIMPBrushes.get();
    for (const auto& b : before) {
        if (b.bundledSourceID && !shippedNames.contains(*b.bundledSourceID)) deleteGIMPBrush(b);
    }
    QSet<QString> installed;
    for (const auto& b : importedGIMPBrushes.get()) {
        if (b.bundledSourceID) installed.insert(*b.bundledSourceID);
    }
    QStringList missing;
    for (const QString& p : paths) {
        if (!installed.contains(QFileInfo(p).fileName())) missing.append(p);
    }
    std::stable_sort(missing.begin(), missing.end(), [](const QString& a, const QString& b) {
        return QFileInfo(a).fileName() < QFileInfo(b).fileName();
    });
    if (!missing.isEmpty()) importGIMPBrushes(missing, true);
}

void DrawingState::rerenderVBRBrush(const QUuid& id, const VBRParams& params, bool write) {
    platform::assertMainThread("DrawingState::rerenderVBRBrush");
    const auto find = [&] {
        const auto& list = importedGIMPBrushes.get();
        return std::find_if(list.begin(), list.end(), [&](const auto& b) { return b.id == id; }) - list.begin();
    };
    const auto idx = static_cast<std::size_t>(find());
    if (idx >= importedGIMPBrushes->size() || !importedGIMPBrushes.get()[idx].vbr) return;
    const VBRParams p = params.clamped();
    auto image = GIMPBrushParser::renderVBR(p);
    if (!image) return;

    importedGIMPBrushes.modify([&](auto& list) { list[idx].vbr = p; });
    importedGIMPBrushes.modify([&](auto& list) { list[idx].diameter = 2 * p.radius; });
    const QStringList cellFiles = importedGIMPBrushes.get()[idx].cellFilenames;

    gimpStampCache.insert(id, {*image});
    stampLoads_.remove(id);
    tintedStampCache.removeKeysWithPrefix(uuidText(id));
    willChange.emit();

    if (!write || cellFiles.isEmpty() || !brushFiles::isPlainFileName(cellFiles.front())) return;
    platform::runInBackground(
        [cell = *image, folder = gimpBrushesDirectory(), name = cellFiles.front()] {
            QDir().mkpath(folder);
            // The stored parameters still render the brush; the file is only a fallback.
            if (!GIMPBrushParser::writePNG(cell, storePath(folder, name)))
                platform::SystemLog::warning(QStringLiteral("Cannot rewrite the cell image %1 of a parametric brush")
                                                 .arg(storePath(folder, name)));
        },
        platform::TaskPriority::Utility);
}

std::vector<QImage> DrawingState::tintedStamps(const QUuid& brushID, const Color& color, double size) {
    platform::assertMainThread("DrawingState::tintedStamps");
    const auto it = gimpStampCache.constFind(brushID);
    if (it == gimpStampCache.constEnd() || it->empty() || !std::isfinite(size) || std::abs(size) > 1e9) return {};
    const auto& cells = *it;
    const int D = std::max(cells.front().width(), cells.front().height());
    if (D <= 0) return {};

    const QString key = uuidText(brushID) + QStringLiteral("_%1_%2_%3_%4")
                                                .arg(std::lround(size))
                                                .arg(keyComponent(color.r))
                                                .arg(keyComponent(color.g))
                                                .arg(keyComponent(color.b));
    if (auto cached = tintedStampCache.value(key)) return std::move(*cached);

    const double scale = std::max(1.0, size) / D;
    std::vector<QImage> tinted;
    for (const QImage& cell : cells) {
        if (auto image = brushEngine::tintedImage(cell, scale, color.r, color.g, color.b))
            tinted.push_back(std::move(*image));
    }
    tintedStampCache.insert(key, tinted);
    return tinted;
}
