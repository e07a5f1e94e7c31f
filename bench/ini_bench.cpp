// The INI store on a 50 MB file: one lookup, one write, and a read through the file; and a save
// of ten names as ten single writes against one write of the section.
// Build: cmake --preset bench && cmake --build --preset bench
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "runtime/ini_store.h"
#include "runtime/ini.h"

namespace kelvra {
namespace {

// 50 MB of short key lines, the wanted key in the last section.
std::string BigIni(std::string_view lineBreak) {
    std::string content = "[other]";
    content += lineBreak;
    while (content.size() < 50u << 20) content.append("key=value of some length").append(lineBreak);
    content.append("[s]").append(lineBreak).append("k=last").append(lineBreak);
    return content;
}

void BM_FindValueCrLf(benchmark::State& state) {
    const std::string content = BigIni("\r\n");
    for (auto _ : state) benchmark::DoNotOptimize(ini::FindValue(content, "s", "k"));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(content.size()));
}
BENCHMARK(BM_FindValueCrLf)->Unit(benchmark::kMillisecond);

void BM_FindValueCrOnly(benchmark::State& state) {
    const std::string content = BigIni("\r");
    for (auto _ : state) benchmark::DoNotOptimize(ini::FindValue(content, "s", "k"));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(content.size()));
}
BENCHMARK(BM_FindValueCrOnly)->Unit(benchmark::kMillisecond);

void BM_SetValue(benchmark::State& state) {
    const std::string content = BigIni("\r\n");
    for (auto _ : state) benchmark::DoNotOptimize(ini::SetValue(content, "s", "k", "new"));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(content.size()));
}
BENCHMARK(BM_SetValue)->Unit(benchmark::kMillisecond);

void BM_IniReadTextFromFile(benchmark::State& state) {
    const std::string path = "/tmp/kelvra_ini_bench_" + std::to_string(getpid()) + ".ini";
    std::ofstream(path, std::ios::binary) << BigIni("\r\n");
    for (auto _ : state) benchmark::DoNotOptimize(IniReadText(path, "s", "k"));
    std::remove(path.c_str());
}
BENCHMARK(BM_IniReadTextFromFile)->Unit(benchmark::kMillisecond);

std::vector<std::pair<std::string, std::string>> TenNames(int round) {
    std::vector<std::pair<std::string, std::string>> names;
    for (int i = 1; i <= 10; ++i)
        names.emplace_back(std::string("k").append(std::to_string(i)),
                           std::string("name").append(std::to_string(i + round % 2)));
    return names;
}

void BM_SaveTenSingleWrites(benchmark::State& state) {
    const std::string path = "/tmp/kelvra_save_bench_" + std::to_string(getpid()) + ".ini";
    int round = 0;
    for (auto _ : state)
        for (const auto& [key, value] : TenNames(++round)) IniWriteText(path, "s", key, value);
    std::remove(path.c_str());
}
BENCHMARK(BM_SaveTenSingleWrites)->Unit(benchmark::kMillisecond);

void BM_SaveSectionOneWrite(benchmark::State& state) {
    const std::string path = "/tmp/kelvra_save_bench_" + std::to_string(getpid()) + ".ini";
    int round = 0;
    for (auto _ : state) IniWriteSection(path, "s", TenNames(++round));
    std::remove(path.c_str());
}
BENCHMARK(BM_SaveSectionOneWrite)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelvra
