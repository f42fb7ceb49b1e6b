#pragma once

// Value types shared by the brush engine and the drawing model: how a
// multi-cell brush picks its cell, the parameters of a parametric brush, and
// the record of one stored brush with the JSON form of the brush index.

#include "platform/UuidText.h"

#include <QByteArray>
#include <QImage>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <exception>
#include <optional>
#include <string_view>
#include <vector>

// Every brush cell image has this format: 8-bit RGBA, alpha last and
// premultiplied, rows of width x 4 bytes. Red, green and blue are always 0 and
// the alpha byte is the coverage, so tinting needs only the alpha.
inline constexpr QImage::Format kCellMaskFormat = QImage::Format_RGBA8888_Premultiplied;

enum class GIMPCellSelection { sequential, random, constant, angular };

std::string_view rawValue(GIMPCellSelection s);
std::optional<GIMPCellSelection> cellSelectionFromRaw(QStringView raw);

enum class VBRShape { circle, square, diamond };
inline constexpr VBRShape kAllVBRShapes[] = {VBRShape::circle, VBRShape::square, VBRShape::diamond};

std::string_view rawValue(VBRShape s);
std::optional<VBRShape> vbrShapeFromRaw(QStringView raw);

struct VBRParams {
    VBRShape shape = VBRShape::circle;
    double radius = 5; // pixels
    int spikes = 2;
    double hardness = 1; // 0…1
    double aspectRatio = 1;
    double angle = 0; // degrees

    // Every field brought into the range the renderer supports.
    VBRParams clamped() const;

    QJsonObject toJson() const;
    // All six keys are required; numbers must be finite and spikes integral.
    static std::optional<VBRParams> fromJson(const QJsonObject& o);

    friend bool operator==(const VBRParams&, const VBRParams&) = default;
};

// The one failure the brush engine throws rather than returns: a PNG that
// could not be written.
class GIMPBrushError : public std::exception {
public:
    enum class Code { encodeFailed };
    explicit GIMPBrushError(Code code = Code::encodeFailed) : code_(code) {}
    Code code() const { return code_; }
    const char* what() const noexcept override { return "encodeFailed"; }

private:
    Code code_;
};

struct ImportedGIMPBrush {
    QUuid id;
    QString name;
    QStringList cellFilenames;
    double diameter = 0;
    double spacing = 0;
    double opacity = 1;
    std::optional<QString> thumbnailFilename;
    std::optional<GIMPCellSelection> selection;
    std::optional<VBRParams> vbr;
    std::optional<QString> bundledSourceID;

    // Optional fields are left out when absent, never written as null.
    QJsonObject toJson() const;
    // Requires id, name, cellFilenames, diameter, spacing and opacity; the
    // optional keys may be missing or null, but a present value must be valid.
    static std::optional<ImportedGIMPBrush> fromJson(const QJsonObject& o);

    friend bool operator==(const ImportedGIMPBrush&, const ImportedGIMPBrush&) = default;
};

// The brush index: a compact JSON array of records, in library order.
QByteArray encodeBrushIndex(const std::vector<ImportedGIMPBrush>& brushes);

struct DecodedBrushIndex {
    std::vector<ImportedGIMPBrush> brushes;
    int skippedRecords = 0; // records that failed to decode and were left out
};
// None when the data is not a JSON array at all; otherwise every record that
// decodes, in order, with the bad ones skipped.
std::optional<DecodedBrushIndex> decodeBrushIndex(const QByteArray& data);
