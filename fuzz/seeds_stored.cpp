// Writes the seed corpora of the stored-data fuzzers: preferences files as
// the program writes them (and as a later version might), the preference
// lists kept inside them, and brush indexes, made here rather than copied.
//   seeds_stored <seeds-dir>   (writes <seeds-dir>/fuzz_preferences, fuzz_brush_index)
#include "SeedFiles.h"
#include "model/FontPreset.h"
#include "model/SavedHarmony.h"
#include "platform/UserDefaults.h"
#include "support/BrushStoreFiles.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using namespace seeds;
using namespace testing_support;

namespace {

std::vector<SavedHarmony> harmonies() {
    return {{QUuid::createUuid(), "Dusk", HarmonyType::doubleSplitComplementary, 0.95, 1.0 / 3, 0.1},
            {QUuid::createUuid(), "", HarmonyType::analogous, 0, 1, 1}};
}

std::vector<FontPreset> presets() {
    return {{QUuid::createUuid(), "DejaVu Sans", 18.5}, {QUuid::createUuid(), "Noto Serif", 0}};
}

// A preferences file of every type, written by the store itself.
QByteArray preferencesFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath("defaults.json");
    {
        auto d = platform::UserDefaults::fileBacked(path);
        d->setString("overink.selectedTool", "pencil");
        d->setNumberArray("overink.selectedColor", {1, 0.231, 0.188, 1});
        d->setDouble("overink.lineWidth", 11);
        d->setBool("overink.showTooltips", true);
        d->setStringArray("overink.toolbarPenOrder",
                          {"pencil", "scribble", "paintbrush", "paintbrush.pointed", "wand.and.sparkles"});
        d->setData("overink.savedHarmonies", *encodeSavedHarmonies(harmonies()));
        d->setData("overink.fontPresets", *encodeFontPresets(presets()));
        d->flush();
    }
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeSeeds(const QString& root) {
    const QString prefs = root + "/fuzz_preferences", index = root + "/fuzz_brush_index";
    for (const QString& d : {prefs, index}) QDir().mkpath(d);
    bool ok = true;

    ok &= writeSeed(prefs, "defaults.json", preferencesFile());
    ok &= writeSeed(prefs, "later-version.json", R"({
    "overink.lineWidth": {"double": 1000000},
    "overink.future": {"int64": 12345678901234567890},
    "overink.twoTags": {"double": 3, "unit": "pt"},
    "overink.badData": {"data": "@@"},
    "caf\u00e9 \"key\"": { "a" : [1, {"b": "}]\"{["}], "c" : null }
})");
    ok &= writeSeed(prefs, "harmonies.json", *encodeSavedHarmonies(harmonies()));
    ok &= writeSeed(prefs, "presets.json", *encodeFontPresets(presets()));
    ok &= writeSeed(prefs, "empty-list.json", "[]");

    const auto bitmap = [] {
        ImportedGIMPBrush b;
        b.id = QUuid::createUuid();
        b.name = "Pipe";
        b.cellFilenames = {uuidText(b.id) + "_0.png", uuidText(b.id) + "_2.png"};
        b.diameter = 48;
        b.spacing = 25;
        b.opacity = 1;
        b.thumbnailFilename = uuidText(b.id) + "_thumb.png";
        b.selection = GIMPCellSelection::angular;
        return b;
    }();
    auto shipped = parametricBrush(3, 0.75, QString("round.vbr"));
    ok &= writeSeed(index, "two.json", encodeBrushIndex({bitmap, shipped}));
    ok &= writeSeed(index, "empty.json", encodeBrushIndex({}));
    QJsonArray withBad = QJsonDocument::fromJson(encodeBrushIndex({bitmap, shipped})).array();
    QJsonObject bad = shipped.toJson();
    bad.insert("selection", "sideways");
    withBad.append(bad);
    ok &= writeSeed(index, "bad-record.json", QJsonDocument(withBad).toJson());
    return ok;
}

} // namespace

int main(int argc, char** argv) { return seeds::run(argc, argv, "seeds_stored", writeSeeds); }
