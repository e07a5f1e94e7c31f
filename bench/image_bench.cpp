// Reducing the plate's master (948 x 950) to the sizes of display scales between 100 % and
// 200 %, as the program does once per scale. Build with the bench preset.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>

#include "wheel/image.h"

namespace kelvra {
namespace {

// The cost does not depend on the pixels; a disc with a soft edge stands in for the plate.
Image PlateMaster() {
    Image img(948, 950);
    for (int y = 0; y < img.height; y++) {
        for (int x = 0; x < img.width; x++) {
            const double d = std::hypot(x - 473.5, y - 474.5);
            const auto a = static_cast<uint8_t>(std::clamp(471.5 - d, 0.0, 1.0) * 255);
            img.At(x, y) =
                PremultipliedPixel(static_cast<uint8_t>(x), static_cast<uint8_t>(y), 200, a);
        }
    }
    return img;
}

// Argument: the display scale in per cent.
void BM_ReducePlateMaster(benchmark::State& state) {
    const Image master = PlateMaster();
    const int w = static_cast<int>(std::lround(474 * state.range(0) / 100.0));
    const int h = static_cast<int>(std::lround(475 * state.range(0) / 100.0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReduceImage(master, w, h));
    }
    state.SetLabel(std::to_string(w) + "x" + std::to_string(h));
}
BENCHMARK(BM_ReducePlateMaster)->Arg(125)->Arg(150)->Arg(175)->Unit(benchmark::kMillisecond);

// The same reduction through the float resampler the sunburst uses, for comparison.
void BM_ScalePlateMasterTo150(benchmark::State& state) {
    const Image master = PlateMaster();
    for (auto _ : state) {
        benchmark::DoNotOptimize(ScaleImage(master, 711, 713));
    }
}
BENCHMARK(BM_ScalePlateMasterTo150)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelvra
