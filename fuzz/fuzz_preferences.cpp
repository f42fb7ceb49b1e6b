// Stored preference data read back by the drawing state: the preferences
// file itself, saved harmonies and font presets, through their decoders and
// the state's whole read-back.

#include "model/DrawingState.h"
#include "model/FontPreset.h"
#include "model/SavedHarmony.h"
#include "platform/UserDefaults.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace {

class NoScreens : public platform::ScreenProvider {
public:
    std::vector<platform::Screen> screens() const override { return {}; }
    std::optional<platform::Screen> mainScreen() const override { return std::nullopt; }
    QRect primaryRootRect() const override { return {}; }
};

class StillMouse : public platform::Mouse {
public:
    platform::Point location() const override { return {}; }
    std::uint32_t pressedButtons() const override { return 0; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const QByteArray data(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(size));
    if (auto harmonies = decodeSavedHarmonies(data)) {
        // What decodes must encode again (every number is finite).
        if (!encodeSavedHarmonies(*harmonies)) __builtin_trap();
    }
    if (auto presets = decodeFontPresets(data)) {
        if (!encodeFontPresets(*presets)) __builtin_trap();
    }

    // The preferences file: after one save the form is settled, and entries
    // not understood keep their exact text.
    std::optional<platform::UserDefaults::FileContents> file = platform::UserDefaults::decodeFile(data);
    if (file) {
        const QByteArray saved = platform::UserDefaults::encodeFile(*file);
        const auto reread = platform::UserDefaults::decodeFile(saved);
        if (!reread || platform::UserDefaults::encodeFile(*reread) != saved) __builtin_trap();
        for (auto it = file->kept.constBegin(); it != file->kept.constEnd(); ++it) {
            if (!saved.contains(*it)) __builtin_trap();
        }
    }

    static auto screens = std::make_shared<NoScreens>();
    static auto mouse = std::make_shared<StillMouse>();
    static auto loginItem = std::make_shared<platform::LoginItem>("/nonexistent/autostart", "overink");
    DrawingStateEnvironment env;
    env.defaults = platform::UserDefaults::inMemory();
    if (file) {
        // Whatever the file held, under whatever keys, is read back.
        for (auto it = file->values.constBegin(); it != file->values.constEnd(); ++it)
            env.defaults->set(it.key(), it.value());
    } else {
        env.defaults->setData("overink.savedHarmonies", data);
        env.defaults->setData("overink.fontPresets", data);
    }
    env.screens = screens;
    env.mouse = mouse;
    env.loginItem = loginItem;
    env.brushStoreDirectory = "/nonexistent/gimp-brushes";
    env.fontExists = [](const QString&) { return false; };
    auto state = DrawingState::create(env);
    return 0;
}
