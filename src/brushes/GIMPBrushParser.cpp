#include "brushes/GIMPBrushParser.h"

#include <QStringList>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string_view>

namespace {

constexpr qint64 kMinHeaderSize = 20;

const std::uint8_t* bytes(QByteArrayView data) { return reinterpret_cast<const std::uint8_t*>(data.data()); }

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const auto* end = p + s.size();
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int extra;
        unsigned char lo = 0x80, hi = 0xBF; // allowed range of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            if (c == 0xE0) lo = 0xA0;
            if (c == 0xED) hi = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            if (c == 0xF0) lo = 0x90;
            if (c == 0xF4) hi = 0x8F;
        } else {
            return false;
        }
        if (end - p <= extra) return false;
        if (p[1] < lo || p[1] > hi) return false;
        for (int i = 2; i <= extra; ++i) {
            if (p[i] < 0x80 || p[i] > 0xBF) return false;
        }
        p += extra + 1;
    }
    return true;
}

std::optional<QString> strictUtf8(QByteArrayView data) {
    const std::string_view s(data.data(), static_cast<size_t>(data.size()));
    if (!isValidUtf8(s)) return std::nullopt;
    return QString::fromUtf8(data);
}

std::optional<qint64> checkedMul(qint64 a, qint64 b) {
    qint64 r;
    if (__builtin_mul_overflow(a, b, &r)) return std::nullopt;
    return r;
}

std::optional<qint64> checkedAdd(qint64 a, qint64 b) {
    qint64 r;
    if (__builtin_add_overflow(a, b, &r)) return std::nullopt;
    return r;
}

// a + b x c x d in signed 64-bit, none on overflow.
std::optional<qint64> extent(qint64 a, qint64 b, qint64 c, qint64 d) {
    auto p = checkedMul(b, c);
    if (p) p = checkedMul(*p, d);
    if (!p) return std::nullopt;
    return checkedAdd(a, *p);
}

// A decimal integer, optionally signed, and nothing else. Values beyond
// 64 bits are unparsable.
std::optional<qint64> parseInteger(std::string_view s) {
    if (!s.empty() && s.front() == '+') {
        s.remove_prefix(1);
        if (!s.empty() && s.front() == '-') return std::nullopt;
    }
    if (s.empty()) return std::nullopt;
    qint64 v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v, 10);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return std::nullopt;
    return v;
}

// A whole C-locale decimal literal ("1", "-2.5", ".5", "3.", "1e-3"). Only
// finite values: "nan", "inf", hexadecimal forms and literals too large for a
// double are refused; literals too small for one read as zero.
std::optional<double> parseFiniteDouble(std::string_view s) {
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    // Check the grammar ourselves: from_chars also takes "inf" and "nan".
    size_t i = 0;
    const auto digitsAt = [&](size_t& at) {
        const size_t from = at;
        while (at < s.size() && s[at] >= '0' && s[at] <= '9') ++at;
        return at - from;
    };
    const size_t intDigits = digitsAt(i);
    size_t fracDigits = 0;
    if (i < s.size() && s[i] == '.') {
        ++i;
        fracDigits = digitsAt(i);
    }
    if (intDigits + fracDigits == 0) return std::nullopt;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        if (digitsAt(i) == 0) return std::nullopt;
    }
    if (i != s.size()) return std::nullopt;

    double v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
    if (r.ptr != s.data() + s.size()) return std::nullopt;
    if (r.ec == std::errc::result_out_of_range) {
        // Out of range either way: tell underflow (a zero) from overflow by
        // the position of the first significant digit and the exponent.
        const size_t dot = s.find('.');
        const size_t ePos = s.find_first_of("eE");
        const std::string_view mantissa = s.substr(0, ePos);
        const size_t first = mantissa.find_first_of("123456789");
        if (first == std::string_view::npos) return negative ? -0.0 : 0.0;
        const size_t pointAt = dot == std::string_view::npos ? mantissa.size() : dot;
        const long long lead =
            first < pointAt ? static_cast<long long>(pointAt - first) - 1 : -static_cast<long long>(first - pointAt);
        long long exponent = 0;
        if (ePos != std::string_view::npos) {
            std::string_view e = s.substr(ePos + 1);
            const bool eNegative = !e.empty() && e.front() == '-';
            if (!e.empty() && (e.front() == '+' || e.front() == '-')) e.remove_prefix(1);
            for (char ch : e) exponent = std::min<long long>(exponent * 10 + (ch - '0'), 1'000'000'000);
            if (eNegative) exponent = -exponent;
        }
        if (lead + exponent < 0) return negative ? -0.0 : 0.0;
        return std::nullopt;
    }
    if (r.ec != std::errc() || !std::isfinite(v)) return std::nullopt;
    return negative ? -v : v;
}

std::string_view view(const QByteArray& b) { return {b.constData(), static_cast<size_t>(b.size())}; }

struct CellHeader {
    qint64 headerSize, version, width, height, bytesPerPixel;

    static CellHeader read(QByteArrayView data, qint64 at) {
        return {GIMPBrushParser::readUInt32BE(data, at), GIMPBrushParser::readUInt32BE(data, at + 4),
                GIMPBrushParser::readUInt32BE(data, at + 8), GIMPBrushParser::readUInt32BE(data, at + 12),
                GIMPBrushParser::readUInt32BE(data, at + 16)};
    }
    bool valid() const {
        return width != 0 && height != 0 && (bytesPerPixel == 1 || bytesPerPixel == 3 || bytesPerPixel == 4) &&
               (version == 1 || version == 2) && headerSize >= kMinHeaderSize;
    }
    // Offset one past the pixels of a cell that starts at `at`; none on overflow.
    std::optional<qint64> end(qint64 at) const {
        const auto start = checkedAdd(at, headerSize);
        if (!start) return std::nullopt;
        return extent(*start, width, height, bytesPerPixel);
    }
};

// Unicode whitespace and line breaks at both ends.
QString trimmedName(const QString& s) { return s.trimmed(); }

bool isLineBreak(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 0x0A && u <= 0x0D) || u == 0x85 || u == 0x2028 || u == 0x2029;
}

QString trimSpacesAndTabs(QStringView s) {
    qsizetype from = 0, to = s.size();
    while (from < to && (s[from] == u' ' || s[from] == u'\t')) ++from;
    while (to > from && (s[to - 1] == u' ' || s[to - 1] == u'\t')) --to;
    return s.mid(from, to - from).toString();
}

} // namespace

std::uint32_t GIMPBrushParser::readUInt32BE(QByteArrayView data, qint64 offset) {
    if (offset < 0 || offset > data.size() - 4) return 0;
    const std::uint8_t* p = bytes(data) + offset;
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | std::uint32_t(p[3]);
}

std::optional<QString> GIMPBrushParser::decodeName(QByteArrayView data, qint64 start, qint64 end) {
    end = std::min<qint64>(end, data.size());
    start = std::max<qint64>(start, 0);
    if (start >= end) return std::nullopt;
    QByteArrayView range = data.sliced(start, end - start);
    const auto zero = range.indexOf('\0');
    if (zero >= 0) range = range.first(zero);
    if (range.isEmpty()) return std::nullopt;
    // Valid UTF-8 covers ASCII, so nothing else is tried.
    return strictUtf8(range);
}

std::optional<QImage> GIMPBrushParser::makeMaskImage(QByteArrayView data, qint64 offset, qint64 width, qint64 height,
                                                     qint64 bytesPerPixel) {
    if (width <= 0 || height <= 0 || width > std::numeric_limits<int>::max() ||
        height > std::numeric_limits<int>::max())
        return std::nullopt;
    const auto maskBytes = extent(0, width, height, 4);
    if (!maskBytes || *maskBytes > kMaxMaskBytes) return std::nullopt;

    QImage image(static_cast<int>(width), static_cast<int>(height), kCellMaskFormat);
    if (image.isNull()) return std::nullopt;
    image.fill(0);
    if (bytesPerPixel != 1 && bytesPerPixel != 3 && bytesPerPixel != 4) return image;

    // Pixels [0, whole) lie entirely inside the data; the rest stay 0.
    const qint64 pixels = width * height;
    qint64 whole = 0;
    if (offset >= 0 && offset < data.size()) whole = std::min(pixels, (data.size() - offset) / bytesPerPixel);
    const std::uint8_t* src = whole > 0 ? bytes(data) + offset : nullptr;
    const int w = static_cast<int>(width);

    for (qint64 i = 0; i < whole;) {
        const qint64 row = i / w;
        std::uint8_t* dst = image.scanLine(static_cast<int>(row));
        const qint64 rowEnd = std::min(whole, (row + 1) * w);
        for (qint64 x = i - row * w; i < rowEnd; ++i, ++x) {
            const std::uint8_t* p = src + i * bytesPerPixel;
            long coverage;
            if (bytesPerPixel == 1) {
                coverage = p[0];
            } else {
                const double luma = 0.2126 * p[0] + 0.7152 * p[1] + 0.0722 * p[2];
                coverage = bytesPerPixel == 3 ? std::lround(luma) : std::lround(luma / 255.0 * p[3]);
            }
            dst[x * 4 + 3] = static_cast<std::uint8_t>(std::clamp(coverage, 0L, 255L));
        }
    }
    return image;
}

std::optional<ParsedGIMPBrush> GIMPBrushParser::parse(QByteArrayView data, QStringView fileExtension) {
    const QString ext = fileExtension.toString().toLower();
    if (ext == u"gbr") return parseGBR(data);
    if (ext == u"gih") return parseGIH(data);
    if (ext == u"vbr") return parseVBR(data);
    return std::nullopt;
}

std::optional<ParsedGIMPBrush> GIMPBrushParser::parseGBR(QByteArrayView data) {
    if (data.size() < 20) return std::nullopt;
    const CellHeader h = CellHeader::read(data, 0);
    if (!h.valid()) return std::nullopt;
    const auto end = h.end(0);
    if (!end || data.size() < *end) return std::nullopt;

    double spacing = 25.0;
    qint64 nameStart = 20;
    if (h.version == 2) {
        if (data.size() < 28 || data.sliced(20, 4) != QByteArrayView("GIMP")) return std::nullopt;
        spacing = readUInt32BE(data, 24);
        nameStart = 28;
    }
    auto cell = makeMaskImage(data, h.headerSize, h.width, h.height, h.bytesPerPixel);
    if (!cell) return std::nullopt;

    ParsedGIMPBrush brush;
    if (auto name = decodeName(data, nameStart, h.headerSize)) brush.name = trimmedName(*name);
    brush.cells.push_back(std::move(*cell));
    brush.diameter = static_cast<double>(std::max(h.width, h.height));
    brush.spacing = std::max(spacing, 1.0);
    return brush;
}

std::optional<ParsedGIMPBrush> GIMPBrushParser::parseGIH(QByteArrayView data) {
    const qint64 firstBreak = data.indexOf('\n');
    if (firstBreak < 0) return std::nullopt;
    const qint64 paramsStart = firstBreak + 1;
    if (paramsStart >= data.size()) return std::nullopt;
    const qint64 secondBreak = data.indexOf('\n', paramsStart);
    if (secondBreak < 0) return std::nullopt;

    ParsedGIMPBrush brush;
    if (auto name = strictUtf8(data.first(firstBreak))) brush.name = trimmedName(*name);

    qint64 cellCount = 1;
    // A parameter line that is not valid UTF-8 reads as empty: the defaults.
    QByteArray params = data.sliced(paramsStart, secondBreak - paramsStart).toByteArray();
    if (!isValidUtf8(view(params))) params.clear();
    for (const QByteArray& token : params.split(' ')) {
        QList<QByteArray> parts = token.split(':');
        parts.removeAll(QByteArray());
        if (parts.size() != 2) continue;
        const QByteArray& key = parts[0];
        const std::string_view value = view(parts[1]);
        if (key == "ncells") {
            cellCount = parseInteger(value).value_or(1);
        } else if (key == "step") {
            // A step so large that the spacing is no longer finite reads as unparsable.
            const auto step = parseFiniteDouble(value);
            brush.spacing = step && std::isfinite(*step * 100.0) ? *step * 100.0 : 25.0;
        } else if (key == "select0") {
            const QString mode = QString::fromUtf8(parts[1]).toLower();
            brush.selection = mode == u"random"     ? GIMPCellSelection::random
                              : mode == u"constant" ? GIMPCellSelection::constant
                              : mode == u"angular"  ? GIMPCellSelection::angular
                                                    : GIMPCellSelection::sequential;
        }
    }
    if (cellCount < 1) return std::nullopt;

    // Every cell consumes at least 21 bytes, so this ends with the data
    // whatever count the file claims.
    qint64 cursor = secondBreak + 1;
    qint64 maxSide = 0;
    for (qint64 n = 0; n < cellCount; ++n) {
        if (data.size() - cursor < 20) break;
        const CellHeader h = CellHeader::read(data, cursor);
        if (!h.valid()) break;
        const auto end = h.end(cursor);
        if (!end) return std::nullopt;
        if (data.size() < *end) break;
        if (auto cell = makeMaskImage(data, cursor + h.headerSize, h.width, h.height, h.bytesPerPixel)) {
            brush.cells.push_back(std::move(*cell));
            maxSide = std::max({maxSide, h.width, h.height});
        }
        cursor = *end;
    }
    if (brush.cells.empty()) return std::nullopt;
    brush.diameter = static_cast<double>(maxSide);
    brush.spacing = std::max(brush.spacing, 1.0);
    return brush;
}

std::optional<GIMPBrushParser::VBRText> GIMPBrushParser::parseVBRText(QByteArrayView data) {
    const auto text = strictUtf8(data);
    if (!text) return std::nullopt;
    QStringList lines;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i <= text->size(); ++i) {
        if (i < text->size() && !isLineBreak(text->at(i))) continue;
        QString line = trimSpacesAndTabs(QStringView(*text).sliced(lineStart, i - lineStart));
        if (!line.isEmpty()) lines.append(std::move(line));
        lineStart = i + 1;
    }
    if (lines.size() < 8) return std::nullopt;
    if (!lines[0].startsWith(u"GIMP-VBR")) return std::nullopt;
    bool v15;
    if (lines[1].startsWith(u"1.0")) v15 = false;
    else if (lines[1].startsWith(u"1.5")) v15 = true;
    else return std::nullopt;
    if (v15 && lines.size() < 10) return std::nullopt;

    const auto number = [&](int line) { return parseFiniteDouble(view(lines[line].toUtf8())); };
    VBRText result;
    result.name = lines[2];
    VBRParams p;
    std::optional<double> spacing, radius, hardness, aspect, angle;
    if (v15) {
        const auto shape = vbrShapeFromRaw(lines[3].toLower());
        if (!shape) return std::nullopt;
        p.shape = *shape;
        spacing = number(4);
        radius = number(5);
        const auto spikes = parseInteger(view(lines[6].toUtf8()));
        if (!spikes || *spikes < 2 || *spikes > 20) return std::nullopt;
        p.spikes = static_cast<int>(*spikes);
        hardness = number(7);
        aspect = number(8);
        angle = number(9);
    } else {
        p.shape = VBRShape::circle;
        p.spikes = 2;
        spacing = number(3);
        radius = number(4);
        hardness = number(5);
        aspect = number(6);
        angle = number(7);
    }
    if (!spacing || !radius || !hardness || !aspect || !angle) return std::nullopt;
    if (!(*radius > 0)) return std::nullopt;
    p.radius = *radius;
    p.hardness = *hardness;
    p.aspectRatio = *aspect;
    p.angle = *angle;
    result.spacing = std::max(*spacing, 1.0);
    result.params = p.clamped();
    return result;
}

std::optional<ParsedGIMPBrush> GIMPBrushParser::parseVBR(QByteArrayView data) {
    auto text = parseVBRText(data);
    if (!text) return std::nullopt;
    auto cell = renderVBR(text->params);
    if (!cell) return std::nullopt;
    ParsedGIMPBrush brush;
    brush.name = text->name;
    brush.cells.push_back(std::move(*cell));
    brush.diameter = 2 * text->params.radius;
    brush.spacing = text->spacing;
    brush.vbr = text->params;
    return brush;
}
