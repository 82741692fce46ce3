// The cost of one touch-move through the crop box and the editor: the new
// frame, the outline refit, the read-out, the cut-out mask and its log
// line, and the tool bars' fade. The aim is at most 20 microseconds.

#include "platform/foundation/Foundation.h"
#include "platform/uikit/UIKit.h"
#include "tweak/editor/MarqelViewController.h"
#include "tweak/editor/ResizableBox.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

namespace {

void BM_BoxDragMove(benchmark::State& state)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "marqel-bench-XXXXXX").string();
    std::string root = mkdtemp(pattern.data());
    DevicePath::setRoot(root);
    RunLoop::main().reset(ClockKind::Virtual);
    UIApplication::sharedApplication()->reset();

    auto window = alloc<UIWindow>();
    auto controller = alloc<MarqelViewController>();
    window->setRootViewController(controller);
    window->makeKeyAndVisible();
    auto app = UIApplication::sharedApplication();
    app->sendTouch(UITouchPhaseBegan, CGPointMake(195, 422));
    bool right = true;
    for (auto _ : state) {
        // A finger wobbling in the middle of the box: every event moves it.
        app->sendTouch(UITouchPhaseMoved, CGPointMake(right ? 196 : 195, 422));
        right = !right;
    }
    app->sendTouch(UITouchPhaseEnded, CGPointMake(195, 422));
    state.SetItemsProcessed(state.iterations());
    RunLoop::main().drain();
    std::filesystem::remove_all(root);
}
BENCHMARK(BM_BoxDragMove)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
