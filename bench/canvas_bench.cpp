// One step of the spin: the pointer turns by 36 degrees and the changed part of the wheel page
// is painted again. Build: g++ -std=c++20 -O2 -I. wheel/image.cpp wheel/png_decode.cpp
// wheel/canvas.cpp bench/canvas_bench.cpp -lpng -lz -lbenchmark -pthread
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "wheel/canvas.h"

namespace kelvra {
namespace {

constexpr int kCanvasW = 528;
constexpr int kCanvasH = 548;

// An opaque disc with a soft one-pixel rim, like the plate and the hub.
Image Disc(int w, int h, uint32_t colour) {
    Image img(w, h);
    const double cx = w / 2.0;
    const double cy = h / 2.0;
    const double r = std::min(w, h) / 2.0 - 1;
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
            const double cover = std::clamp(r - d + 0.5, 0.0, 1.0);
            const auto a = static_cast<uint8_t>(cover * 255);
            img.At(x, y) =
                PremultipliedPixel((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF, a);
        }
    }
    return img;
}

// A boss filling the width at the centre and an arrow up to the top row; the rest transparent.
Image Pointer() {
    Image img(134, 304);
    const Image boss = Disc(134, 134, 0xD4A017);
    for (int y = 0; y < 134; y++) {
        for (int x = 0; x < 134; x++) {
            img.At(x, y + 85) = boss.At(x, y);
        }
    }
    for (int y = 0; y < 110; y++) {
        const int half = 2 + y / 4;
        for (int x = 67 - half; x < 67 + half; x++) {
            img.At(x, y) = 0xFF000000;
        }
    }
    return img;
}

Image FakeText(const std::string& text, const FontSpec&, uint32_t colour) {
    Image img(12 * static_cast<int>(text.size()), 24);
    for (int y = 0; y < img.height; y++) {
        for (int x = 0; x < img.width; x++) {
            img.At(x, y) = (x / 3 + y / 4) % 3 ? PixelFromColorRef(colour) : 0;
        }
    }
    return img;
}

struct Wheel {
    Canvas canvas{kCanvasW, kCanvasH, FakeText};
    Image background{kCanvasW, kCanvasH, 0xFFFF8000};
    Image target{kCanvasW, kCanvasH};
    int pointer = 0;

    Wheel() {
        SpriteTemplate plate;
        plate.picture = Disc(474, 475, 0xFFF0C0);
        SpriteTemplate arrow;
        arrow.picture = Pointer();
        arrow.rotateFollow = true;
        SpriteTemplate hub;
        hub.picture = Disc(115, 115, 0xD4A017);
        canvas.AddSprite(plate, 25, 25);
        pointer = canvas.AddSprite(arrow, 195, 110);
        canvas.AddSprite(hub, 205, 205);
        const int at[10][2] = {{210, 60},  {320, 95},  {390, 185}, {395, 305}, {325, 400},
                               {210, 440}, {100, 405}, {30, 305},  {30, 195},  {100, 100}};
        SpriteTemplate label;
        label.rotateFollow = true;
        for (int k = 0; k < 10; k++) {
            label.text = std::string(8, 'A');
            const int id = canvas.AddSprite(label, at[k][0], at[k][1]);
            canvas.RotateSprite(id, 36 * k);
        }
        canvas.Render(target, background, {0, 0, kCanvasW, kCanvasH});
        canvas.TakeDirty();
    }

    void Step() {
        canvas.RotateSprite(pointer, 36);
        canvas.Render(target, background, canvas.TakeDirty());
        benchmark::DoNotOptimize(target.pixels.data());
    }
};

void BM_PointerStepCold(benchmark::State& state) {
    Wheel wheel;
    wheel.canvas.SetTurnCaching(false);
    for (auto _ : state) {
        wheel.Step();
    }
}
BENCHMARK(BM_PointerStepCold)->Unit(benchmark::kMicrosecond);

void BM_PointerStepWarm(benchmark::State& state) {
    Wheel wheel;
    for (int i = 0; i < 10; i++) {
        wheel.Step();
    }
    for (auto _ : state) {
        wheel.Step();
    }
}
BENCHMARK(BM_PointerStepWarm)->Unit(benchmark::kMicrosecond);

void BM_TurnPointerPicture(benchmark::State& state) {
    const Image pointer = Pointer();
    int angle = 0;
    for (auto _ : state) {
        angle = (angle + 36) % 360;
        benchmark::DoNotOptimize(RotateImage(pointer, angle == 0 ? 36 : angle));
    }
}
BENCHMARK(BM_TurnPointerPicture)->Unit(benchmark::kMicrosecond);

void BM_RenderWholeCanvas(benchmark::State& state) {
    Wheel wheel;
    for (auto _ : state) {
        wheel.canvas.Render(wheel.target, wheel.background, {0, 0, kCanvasW, kCanvasH});
        benchmark::DoNotOptimize(wheel.target.pixels.data());
    }
}
BENCHMARK(BM_RenderWholeCanvas)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kelvra

BENCHMARK_MAIN();
