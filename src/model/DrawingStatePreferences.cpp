// The sixteen preferences of the drawing state: written by each field's
// change observer on every assignment, read back once by the initialiser.

#include "model/DrawingState.h"

#include "platform/Dispatch.h"
#include "platform/SystemLog.h"

#include <QSet>

#include <algorithm>
#include <cmath>

namespace {

QString key(const char* field) { return QStringLiteral("overink.") + QLatin1String(field); }

QStringList rawValues(const std::vector<DrawingTool>& tools) {
    QStringList raw;
    for (DrawingTool t : tools) raw.append(rawValueText(t));
    return raw;
}

// Texts that name no tool are dropped.
std::vector<DrawingTool> toolsFromRaw(const QStringList& raw) {
    std::vector<DrawingTool> tools;
    for (const QString& r : raw) {
        if (auto t = drawingToolFromRaw(r)) tools.push_back(*t);
    }
    return tools;
}

bool sameToolSet(const std::vector<DrawingTool>& a, const std::vector<DrawingTool>& b) {
    return DrawingToolSet(a.begin(), a.end()) == DrawingToolSet(b.begin(), b.end());
}

bool finite(const Color& c) {
    return std::isfinite(c.r) && std::isfinite(c.g) && std::isfinite(c.b) && std::isfinite(c.a);
}

} // namespace

void DrawingState::installChangeObservers() {
    auto& d = *env_.defaults;
    // Numbers that are not finite have no stored form; the key keeps its
    // last good value.
    auto writeDouble = [&d](const char* field, double v) {
        if (std::isfinite(v)) d.setDouble(key(field), v);
    };

    selectedTool.setDidSet([this, &d](const auto&) {
        // Clearing the tool (passthrough) writes nothing, so the next start
        // selects the last tool used.
        if (const auto tool = selectedTool.get()) {
            d.setString(key("selectedTool"), rawValueText(*tool));
            isMoveMode = false;
        }
    });
    selectedColor.setDidSet([this, &d](const auto&) {
        const Color c = selectedColor.get();
        if (finite(c)) d.setNumberArray(key("selectedColor"), {c.r, c.g, c.b, c.a});
    });
    lineWidth.setDidSet([this, writeDouble](const auto&) { writeDouble("lineWidth", lineWidth.get()); });
    strokeOpacity.setDidSet([this, writeDouble](const auto&) { writeDouble("strokeOpacity", strokeOpacity.get()); });
    savedHarmonies.setDidSet([this, &d](const auto&) {
        if (auto data = encodeSavedHarmonies(savedHarmonies.get())) d.setData(key("savedHarmonies"), *data);
    });
    fontPresets.setDidSet([this, &d](const auto&) {
        if (auto data = encodeFontPresets(fontPresets.get())) d.setData(key("fontPresets"), *data);
    });
    lastPlacedStrokeID.setDidSet([this](const std::optional<QUuid>& old) {
        if (old != lastPlacedStrokeID.get()) isSelectionExplicit = false;
    });
    importedGIMPBrushes.setDidSet([this](const auto&) { saveGIMPBrushManifest(); });
    activeGIMPBrushID.setDidSet([this, &d](const auto&) {
        const auto id = activeGIMPBrushID.get();
        loadGIMPBrushStamps(id);
        if (id) d.setString(key("activeGIMPBrushID"), uuidText(*id));
        else d.remove(key("activeGIMPBrushID"));
    });
    gimpBrushOpacity.setDidSet(
        [this, writeDouble](const auto&) { writeDouble("gimpBrushOpacity", gimpBrushOpacity.get()); });
    gimpBrushSpacing.setDidSet([this, &d](const auto&) {
        const double v = gimpBrushSpacing.get();
        const double c = std::isnan(v) ? 200.0 : std::max(1.0, std::min(v, 200.0));
        if (v == c) {
            d.setDouble(key("gimpBrushSpacing"), v);
        } else {
            // Subscribers see the value out of range, then at once the
            // corrected one; only the corrected one is stored.
            gimpBrushSpacing = c;
        }
    });
    toolbarPenOrder.setDidSet(
        [this, &d](const auto&) { d.setStringArray(key("toolbarPenOrder"), rawValues(toolbarPenOrder.get())); });
    toolbarShapeOrder.setDidSet(
        [this, &d](const auto&) { d.setStringArray(key("toolbarShapeOrder"), rawValues(toolbarShapeOrder.get())); });
    smoothingEnabledTools.setDidSet([this, &d](const auto&) {
        d.setStringArray(key("smoothingEnabledTools"), smoothingToolRawValues(smoothingEnabledTools.get()));
    });
    smoothingAlgorithm.setDidSet(
        [this, &d](const auto&) { d.setString(key("smoothingAlgorithm"), rawValueText(smoothingAlgorithm.get())); });
    toolbarDockPosition.setDidSet(
        [this, &d](const auto&) { d.setString(key("toolbarDockPosition"), rawValueText(toolbarDockPosition.get())); });
    showTooltips.setDidSet([this, &d](const auto&) { d.setBool(key("showTooltips"), showTooltips.get()); });
    launchAtLogin.setDidSet([this, &d](const auto&) {
        d.setBool(key("launchAtLogin"), launchAtLogin.get());
        applyLaunchAtLogin();
    });
}

void DrawingState::applyLaunchAtLogin() {
    platform::assertMainThread("DrawingState::applyLaunchAtLogin");
    auto& item = *env_.loginItem;
    const auto status = item.status();
    // Failures are dropped: the switch shows the user's choice until the
    // next start, which reads the registration again.
    if (launchAtLogin.get()) {
        if (status != platform::LoginItem::Status::Enabled) item.registerItem();
    } else if (status != platform::LoginItem::Status::NotRegistered) {
        item.unregisterItem();
    }
}

void DrawingState::readPreferences() {
    const auto& d = *env_.defaults;
    // Keys whose stored value was taken; any other stored key is logged.
    QSet<QString> taken;
    const QString where = d.path().isEmpty() ? QString() : QStringLiteral(" in ") + d.path();
    auto take = [&taken](const char* field) { taken.insert(key(field)); };
    auto positive = [&d](const char* field) -> std::optional<double> {
        const auto v = d.doubleValue(key(field));
        if (v && std::isfinite(*v) && *v > 0) return v;
        return std::nullopt;
    };

    if (const auto data = d.data(key("savedHarmonies"))) {
        if (auto list = decodeSavedHarmonies(*data)) {
            savedHarmonies.setSilently(std::move(*list));
            take("savedHarmonies");
        }
    }
    if (const auto data = d.data(key("fontPresets"))) {
        if (auto list = decodeFontPresets(*data)) {
            fontPresets.setSilently(std::move(*list));
            take("fontPresets");
        }
    }
    if (const auto raw = d.stringArray(key("toolbarPenOrder"))) {
        auto tools = toolsFromRaw(*raw);
        if (sameToolSet(tools, defaultPenOrder())) {
            toolbarPenOrder.setSilently(std::move(tools));
            take("toolbarPenOrder");
        }
    }
    if (const auto raw = d.stringArray(key("toolbarShapeOrder"))) {
        auto tools = toolsFromRaw(*raw);
        if (sameToolSet(tools, defaultShapeOrder())) {
            toolbarShapeOrder.setSilently(std::move(tools));
            take("toolbarShapeOrder");
        }
    }
    if (const auto raw = d.stringArray(key("smoothingEnabledTools"))) {
        // Always taken: an empty set means nothing is smoothed.
        const auto tools = toolsFromRaw(*raw);
        smoothingEnabledTools.setSilently(DrawingToolSet(tools.begin(), tools.end()));
        take("smoothingEnabledTools");
    }
    if (const auto raw = d.stringValue(key("smoothingAlgorithm"))) {
        if (auto a = smoothingAlgorithmFromRaw(*raw)) {
            smoothingAlgorithm.setSilently(*a);
            take("smoothingAlgorithm");
        }
    }
    if (const auto v = positive("lineWidth")) {
        // The toolbar's range: a corrupt width must not make every stroke
        // cost seconds to draw.
        const double width = std::clamp(*v, kMinStoredLineWidth, kMaxStoredLineWidth);
        if (width != *v) {
            platform::SystemLog::warning(QStringLiteral("Preference %1%2: stored width %3 brought to %4")
                                             .arg(key("lineWidth"), where)
                                             .arg(*v)
                                             .arg(width));
        }
        lineWidth.setSilently(width);
        take("lineWidth");
    }
    if (const auto c = d.numberArray(key("selectedColor"))) {
        if (c->size() == 4 && std::all_of(c->begin(), c->end(), [](double x) { return std::isfinite(x); })) {
            selectedColor.setSilently(Color{(*c)[0], (*c)[1], (*c)[2], (*c)[3]});
            take("selectedColor");
        }
    }
    if (const auto raw = d.stringValue(key("toolbarDockPosition"))) {
        if (auto p = toolbarDockPositionFromRaw(*raw)) {
            toolbarDockPosition.setSilently(*p);
            take("toolbarDockPosition");
        }
    }
    if (const auto v = d.boolValue(key("showTooltips"))) {
        showTooltips.setSilently(*v);
        take("showTooltips");
    }
    // The stored switch only matters until the registration is known: the
    // field always starts from the login item's real status.
    if (const auto v = d.boolValue(key("launchAtLogin"))) {
        launchAtLogin.setSilently(*v);
        take("launchAtLogin");
    }
    launchAtLogin.setSilently(env_.loginItem->status() == platform::LoginItem::Status::Enabled);
    if (const auto raw = d.stringValue(key("selectedTool"))) {
        // Watercolour and chalk are never restored: the pen stays, and a
        // stored tool not taken for that reason is not a fault.
        const auto tool = drawingToolFromRaw(*raw);
        if (tool && *tool != DrawingTool::watercolorBrush && *tool != DrawingTool::chalk)
            selectedTool.setSilently(tool);
        if (tool) take("selectedTool");
    }
    if (const auto v = positive("gimpBrushOpacity")) {
        gimpBrushOpacity.setSilently(*v);
        take("gimpBrushOpacity");
    }
    if (const auto v = positive("strokeOpacity")) {
        strokeOpacity.setSilently(*v);
        take("strokeOpacity");
    }
    // Taken as stored: the next assignment clamps.
    if (const auto v = positive("gimpBrushSpacing")) {
        gimpBrushSpacing.setSilently(*v);
        take("gimpBrushSpacing");
    }

    for (const char* field :
         {"savedHarmonies", "fontPresets", "toolbarPenOrder", "toolbarShapeOrder", "smoothingEnabledTools",
          "smoothingAlgorithm", "lineWidth", "selectedColor", "toolbarDockPosition", "showTooltips", "launchAtLogin",
          "selectedTool", "gimpBrushOpacity", "strokeOpacity", "gimpBrushSpacing"}) {
        const QString k = key(field);
        if ((d.contains(k) && !taken.contains(k)) || d.keepsUnreadEntry(k)) {
            platform::SystemLog::warning(QStringLiteral("Preference %1%2: the stored value is not accepted; %3 "
                                                        "starts from its initial value")
                                             .arg(k, where, QLatin1String(field)));
        }
    }
}

void DrawingState::readActiveBrushPreference() {
    const auto raw = env_.defaults->stringValue(key("activeGIMPBrushID"));
    if (!raw) return;
    const auto id = uuidFromText(*raw);
    if (!id) return;
    const auto& brushes = importedGIMPBrushes.get();
    if (std::any_of(brushes.begin(), brushes.end(), [&](const ImportedGIMPBrush& b) { return b.id == *id; }))
        activeGIMPBrushID.setSilently(*id);
}
