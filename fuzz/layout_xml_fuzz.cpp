// Layout XML from the fuzzer through the builder, the layout engine, painting and a few
// clicks, over a fixed skin folder whose res.xml names two includable layouts.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string_view>

#include "dui/builder.h"
#include "dui/paint_manager.h"
#include "dui/recording_render_engine.h"
#include "dui/ui_context.h"
#include "platform/clock.h"
#include "platform/ui_loop.h"
#include "ui/controls/custom_controls.h"

namespace {

using namespace calvorn;

struct Skin {
    Skin() {
        folder = std::filesystem::temp_directory_path() /
                 ("calvorn_layout_fuzz_" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder / "XML");
        Write("res.xml",
              "<Res><Xml><Item name=\"XML_ROW\" value=\"XML\\row.xml\"/>"
              "<Item name=\"XML_SELF\" value=\"XML\\self.xml\"/></Xml></Res>");
        Write("XML/row.xml",
              "<Window size=\"10,10\"><Font id=\"1\" name=\"f\" size=\"9\"/>"
              "<HorizontalLayout height=\"20\"><Button name=\"b\"/><Label text=\"t\"/>"
              "</HorizontalLayout></Window>");
        Write("XML/self.xml", "<VerticalLayout><Include source=\"XML_SELF\"/></VerticalLayout>");
        context = std::make_unique<dui::UiContext>(loop, folder);
        ui::RegisterCustomControls(context->Factory());
    }
    ~Skin() {
        context.reset();
        std::error_code error;
        std::filesystem::remove_all(folder, error);
    }
    void Write(std::string_view name, std::string_view content) const {
        std::ofstream(folder / name, std::ios::binary) << content;
    }

    std::filesystem::path folder;
    platform::FakeClock clock;
    platform::UiLoop loop{clock};
    std::unique_ptr<dui::UiContext> context;
};

Skin& TheSkin() {
    static Skin skin;
    return skin;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Skin& skin = TheSkin();
    dui::PaintManager manager(*skin.context);
    const std::string_view xml(reinterpret_cast<const char*>(data), size);
    std::unique_ptr<dui::Control> root = dui::Builder(manager).BuildFromString(xml);
    if (!root) {
        return 0;
    }
    manager.SetRoot(std::move(root));
    manager.SetWindowSize({320, 240});
    dui::RecordingRenderEngine engine;
    manager.Paint(engine, {0, 0, 320, 240});
    for (int y = 5; y < 240; y += 40) {
        for (int x = 5; x < 320; x += 40) {
            manager.OnMouseMove({x, y});
            manager.OnButtonDown({x, y});
            manager.OnMouseMove({x + 17, y + 9});
            manager.OnButtonUp({x + 17, y + 9});
        }
    }
    manager.OnChar(U'7');
    manager.OnKeyDown(dui::kKeyReturn);
    manager.SetDpi(144);
    manager.Paint(engine, {0, 0, 480, 360});
    skin.loop.AdvanceBy(platform::Millis(100));
    return 0;
}
