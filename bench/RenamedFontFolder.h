#pragma once

// A fontconfig setup holding only many copies of one TrueType font, each
// renamed to a family of its own: the font's tables are copied and its
// 'name' table rewritten. Tables a benchmark's text does not need (kerning,
// OpenType layout, glyph names) are dropped to keep the copies small.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>

namespace bench_support {

namespace detail {

inline std::uint32_t read32(const QByteArray& b, qsizetype at) {
    const auto* p = reinterpret_cast<const unsigned char*>(b.constData() + at);
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}
inline std::uint16_t read16(const QByteArray& b, qsizetype at) {
    const auto* p = reinterpret_cast<const unsigned char*>(b.constData() + at);
    return std::uint16_t((p[0] << 8) | p[1]);
}
inline void put16(QByteArray& b, std::uint16_t v) {
    b.append(char(v >> 8));
    b.append(char(v & 0xff));
}
inline void put32(QByteArray& b, std::uint32_t v) {
    put16(b, std::uint16_t(v >> 16));
    put16(b, std::uint16_t(v & 0xffff));
}
inline void set32(QByteArray& b, qsizetype at, std::uint32_t v) {
    b[at] = char(v >> 24);
    b[at + 1] = char((v >> 16) & 0xff);
    b[at + 2] = char((v >> 8) & 0xff);
    b[at + 3] = char(v & 0xff);
}
inline std::uint32_t checksum(const QByteArray& data) {
    QByteArray padded = data;
    while (padded.size() % 4) padded.append('\0');
    std::uint32_t sum = 0;
    for (qsizetype i = 0; i < padded.size(); i += 4) sum += read32(padded, i);
    return sum;
}

// A format-0 name table with the Windows Unicode names of one family.
inline QByteArray nameTable(const QString& family) {
    QString postScript = family;
    postScript.remove(QLatin1Char(' '));
    const std::pair<std::uint16_t, QString> names[] = {
        {1, family}, {2, QStringLiteral("Regular")}, {3, family}, {4, family}, {6, postScript}};
    QByteArray strings;
    QByteArray records;
    for (const auto& [id, text] : names) {
        QByteArray utf16;
        for (QChar c : text) put16(utf16, c.unicode());
        put16(records, 3);     // Windows
        put16(records, 1);     // Unicode BMP
        put16(records, 0x409); // English (US)
        put16(records, id);
        put16(records, std::uint16_t(utf16.size()));
        put16(records, std::uint16_t(strings.size()));
        strings += utf16;
    }
    QByteArray table;
    put16(table, 0);
    put16(table, std::uint16_t(std::size(names)));
    put16(table, std::uint16_t(6 + records.size()));
    return table + records + strings;
}

} // namespace detail

// The source font's tables by tag, without those left out of the copies,
// and with glyph names dropped from 'post'. None when it is not a TrueType
// file this understands.
inline std::optional<std::map<QByteArray, QByteArray>> readFontTables(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray font = file.readAll();
    if (font.size() < 12 || detail::read32(font, 0) != 0x00010000) return std::nullopt;
    const int count = detail::read16(font, 4);
    std::map<QByteArray, QByteArray> tables;
    for (int i = 0; i < count; ++i) {
        const qsizetype entry = 12 + 16 * i;
        if (entry + 16 > font.size()) return std::nullopt;
        const QByteArray tag = font.mid(entry, 4);
        const std::uint32_t offset = detail::read32(font, entry + 8), length = detail::read32(font, entry + 12);
        if (qsizetype(offset) + qsizetype(length) > font.size()) return std::nullopt;
        static const QByteArrayList kDropped{"kern", "GPOS", "GSUB", "GDEF", "FFTM", "MATH"};
        if (kDropped.contains(tag)) continue;
        tables[tag] = font.mid(offset, length);
    }
    if (!tables.count("head") || !tables.count("name") || tables["head"].size() < 12) return std::nullopt;
    if (auto post = tables.find("post"); post != tables.end() && post->second.size() >= 32) {
        post->second = post->second.left(32);
        detail::set32(post->second, 0, 0x00030000);
    }
    return tables;
}

// The font file of `tables` with the family renamed.
inline QByteArray renamedFont(std::map<QByteArray, QByteArray> tables, const QString& family) {
    tables["name"] = detail::nameTable(family);
    QByteArray head = tables["head"];
    detail::set32(head, 8, 0); // checkSumAdjustment, set below
    tables["head"] = head;

    const auto count = std::uint16_t(tables.size());
    std::uint16_t power = 1, log2 = 0;
    while (power * 2 <= count) {
        power *= 2;
        ++log2;
    }
    QByteArray out;
    detail::put32(out, 0x00010000);
    detail::put16(out, count);
    detail::put16(out, std::uint16_t(power * 16));
    detail::put16(out, log2);
    detail::put16(out, std::uint16_t(count * 16 - power * 16));
    qsizetype offset = 12 + 16 * count;
    qsizetype headOffset = 0;
    QByteArray body;
    for (const auto& [tag, data] : tables) { // std::map keeps the tags sorted
        out += tag;
        detail::put32(out, detail::checksum(data));
        detail::put32(out, std::uint32_t(offset));
        detail::put32(out, std::uint32_t(data.size()));
        if (tag == "head") headOffset = offset;
        QByteArray padded = data;
        while (padded.size() % 4) padded.append('\0');
        body += padded;
        offset += padded.size();
    }
    out += body;
    detail::set32(out, headOffset + 8, 0xB1B0AFBAu - detail::checksum(out));
    return out;
}

// A fontconfig file at `path` that lists only `folders`, its cache in
// `cacheFolder`. Whether it was written.
inline bool writeFontconfigFile(const QString& path, const QStringList& folders, const QString& cacheFolder) {
    QString dirs;
    for (const QString& folder : folders) dirs += QStringLiteral("  <dir>%1</dir>\n").arg(folder.toHtmlEscaped());
    QFile conf(path);
    if (!conf.open(QIODevice::WriteOnly)) return false;
    const QString text = QStringLiteral("<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n"
                                        "<fontconfig>\n%1  <cachedir>%2</cachedir>\n</fontconfig>\n")
                             .arg(dirs, cacheFolder.toHtmlEscaped());
    return conf.write(text.toUtf8()) >= 0;
}

// Writes `count` renamed copies of `source` into `folder`/fonts, families
// "<prefix> 0001"…; returns that fonts folder, empty on failure.
inline QString writeRenamedFonts(const QString& folder, const QString& source, int count,
                                 const QString& prefix = QStringLiteral("Specimen")) {
    const auto tables = readFontTables(source);
    if (!tables) return {};
    QDir dir(folder);
    if (!dir.mkpath(QStringLiteral("fonts"))) return {};
    for (int i = 1; i <= count; ++i) {
        const QString family = QStringLiteral("%1 %2").arg(prefix).arg(i, 4, 10, QLatin1Char('0'));
        QFile out(dir.filePath(QStringLiteral("fonts/specimen-%1.ttf").arg(i, 4, 10, QLatin1Char('0'))));
        if (!out.open(QIODevice::WriteOnly) || out.write(renamedFont(*tables, family)) < 0) return {};
    }
    return dir.filePath(QStringLiteral("fonts"));
}

} // namespace bench_support
