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
    const CGRect start = controller->marqelView()->frame();
    app->sendTouch(UITouchPhaseBegan, CGPointMake(195, 422));
    const std::size_t linesBefore = SystemLog::shared().lineCount();
    bool right = true;
    for (auto _ : state) {
        // A finger wobbling in the middle of the box: every event moves it.
        app->sendTouch(UITouchPhaseMoved, CGPointMake(right ? 196 : 195, 422));
        right = !right;
    }
    // A fast move that skipped its work would be no measure of one: each
    // move logs the area it cut out, and the box is where the last put it.
    const bool lastWentRight = state.iterations() % 2 == 1;
    if (SystemLog::shared().lineCount() - linesBefore != state.iterations())
        state.SkipWithError("a move did not update the editor's cut-out");
    else if (controller->marqelView()->frame().origin.x != start.origin.x + (lastWentRight ? 1 : 0))
        state.SkipWithError("the box is not where the last move put it");
    app->sendTouch(UITouchPhaseEnded, CGPointMake(195, 422));
    state.SetItemsProcessed(state.iterations());
    RunLoop::main().drain();
    std::filesystem::remove_all(root);
}
BENCHMARK(BM_BoxDragMove)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
