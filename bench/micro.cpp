// In-process figures per record: the digit rewrite, the reader's dispatch
// over files of one record kind each, the number scan and the number print.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "reader/read_records.hpp"
#include "recolour/digit_runs.hpp"
#include "state/run_state.hpp"
#include "stream/format.hpp"
#include "stream/scan.hpp"
#include "stream/text_in.hpp"
#include "stream/text_out.hpp"

namespace {

void BM_MarkDigitRuns(benchmark::State &state) {
    const std::vector<std::string> texts = {"\x8b\x8f\x8a\xd4 101\x8d\x86\x8e\xba", "7280",
                                            "W1200xH2100", "\x93\xfa\x95\x74 2026-12-08",
                                            "\x8f\xb0\x96\xca\x90\xcf 24.5\x82\x8d\x82\x51"};
    std::vector<TextRecord> records(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i)
        texts[i].copy(reinterpret_cast<char *>(records[i].text), TextRecord::cut_length);
    std::array<unsigned char, rewrite_room<sizeof TextRecord::text>> out;
    for (auto _ : state)
        for (const TextRecord &r : records)
            benchmark::DoNotOptimize(mark_digit_runs(r.text, '5', out));
    state.SetItemsProcessed(state.iterations() * static_cast<long>(texts.size()));
}
BENCHMARK(BM_MarkDigitRuns);

// One record line per kind; the reader reads a file of 1000 of them per
// iteration and writes to a null device.
struct Kind {
    const char *name, *line;
};
const Kind kinds[] = {
    {"text record", "ch 600 6500 3.5 0 \"\x8b\x8f\x8a\xd4 201\r\n"},
    {"line element", " 9100 7280.5 0 7280.25\r\n"},
    {"arc", "ci 1820 3640 450 0 180 1 0\r\n"},
    {"setting line", "lc3\r\n"},
    {"point", "pt 3640 3640\r\n"},
};
constexpr int lines_per_file = 1000;

std::string kind_file(int kind) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("digit-tint-micro-" + std::to_string(kind) + ".txt");
    std::FILE *f = std::fopen(path.string().c_str(), "wb");
    if (!f) return {};
    for (int i = 0; i < lines_per_file; ++i) std::fputs(kinds[kind].line, f);
    std::fclose(f);
    return path.string();
}

void BM_Reader(benchmark::State &state) {
    const int kind = static_cast<int>(state.range(0));
    const std::string path = kind_file(kind);
    // The output is created afresh, its name removed first: never a device.
    const std::string out = path + ".out";
    for (auto _ : state) {
        auto run = std::make_unique<RunState>();
        std::filesystem::remove(out);
        bool name_taken = false;
        if (!stream::open_in(run->input, path.c_str()) ||
            !stream::open_new(run->output, out.c_str(), 0666, name_taken)) {
            state.SkipWithError("cannot open the record file");
            break;
        }
        read_records(*run, lines_per_file, lines_per_file);
    }
    std::filesystem::remove(path);
    std::filesystem::remove(out);
    state.SetItemsProcessed(state.iterations() * lines_per_file);
    state.SetLabel(kinds[kind].name);
}
BENCHMARK(BM_Reader)->DenseRange(0, 4);

void BM_ScanLf(benchmark::State &state) {
    const char *const fields[] = {"7280", "3640.5", "-1820.25", "0", "24790.695356", "3.5", "1e3"};
    for (auto _ : state)
        for (const char *f : fields) {
            const char *p = f;
            double v = 0;
            benchmark::DoNotOptimize(stream::scan::real(p, v));
            benchmark::DoNotOptimize(v);
        }
    state.SetItemsProcessed(state.iterations() * static_cast<long>(std::size(fields)));
}
BENCHMARK(BM_ScanLf);

void BM_AddFixed(benchmark::State &state) {
    const double values[] = {7280, 3640.5, -1820.25, 0, 24790.695356, 3.5, 1e-7};
    for (auto _ : state)
        for (double v : values) {
            stream::LineBuf b;
            stream::add_fixed(b, v, 9);
            benchmark::DoNotOptimize(b.len);
        }
    state.SetItemsProcessed(state.iterations() * static_cast<long>(std::size(values)));
}
BENCHMARK(BM_AddFixed);

} // namespace

BENCHMARK_MAIN();
