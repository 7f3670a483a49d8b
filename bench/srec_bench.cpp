// Speed of the S-record reader and writer on a 200 KiB firmware image (12,800 records of 16
// bytes). The goal is at least 500 MB/s of S-record text read in-process.
//
//   srec_bench                        run the benchmarks
//   srec_bench --write-sample FILE    write the sample image's S-records to FILE
//   srec_bench --read FILE            read FILE once into an image (for timing whole runs)
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "base/atomic_file.h"
#include "image/firmware_info.h"
#include "image/image_writer.h"

namespace {

using namespace quillon::image;

constexpr std::uint32_t kImageBase = 0x7E0000;
constexpr std::size_t kImageBytes = 200 * 1024;

class QuietInterface : public quillon::ui::UserInterface {
  public:
    quillon::ui::Answer messageBox(const quillon::ui::MessageBox&) override {
        return quillon::ui::Answer::Ok;
    }
};

void fillSampleImage(MemoryImage& image) {
    std::vector<std::uint8_t> bytes(512);
    for (std::size_t at = 0; at < kImageBytes; at += bytes.size()) {
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = static_cast<std::uint8_t>((at + i) * 31 + (at >> 9));
        }
        image.append(bytes, static_cast<std::uint32_t>(kImageBase + at));
    }
}

const std::string& sampleText() {
    static const std::string text = [] {
        MemoryImage image;
        fillSampleImage(image);
        image.rewind();
        return hexFileText(image, nullptr);
    }();
    return text;
}

// The sample written to a temporary file for as long as the program runs.
class SampleFile {
  public:
    SampleFile()
        : path_((std::filesystem::temp_directory_path() /
                 ("quillon-srec-bench-" + std::to_string(::getpid()) + ".hex"))
                    .string()) {
        quillon::writeFileAtomically(path_, sampleText());
    }
    ~SampleFile() {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

const SampleFile& sampleFile() {
    static const SampleFile file;
    return file;
}

void reportThroughput(benchmark::State& state, std::uint16_t lines) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(sampleText().size()));
    state.counters["lines/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * lines,
                                                   benchmark::Counter::kIsRate);
}

void readText(benchmark::State& state) {
    QuietInterface ui;
    FirmwareInfo info;
    MemoryImage image;
    std::uint16_t lines = 0;
    for (auto _ : state) {
        image.clear();
        lines = info.readSrecText(sampleText(), &image, nullptr, ui);
        benchmark::DoNotOptimize(lines);
    }
    if (lines == 0 || image.totalBytes() != kImageBytes) {
        state.SkipWithError("the sample was not read");
    }
    reportThroughput(state, lines);
}
BENCHMARK(readText)->Name("SrecRead/InMemory")->Unit(benchmark::kMicrosecond);

void readFile(benchmark::State& state) {
    const std::string& path = sampleFile().path();
    QuietInterface ui;
    FirmwareInfo info;
    MemoryImage image;
    std::uint16_t lines = 0;
    for (auto _ : state) {
        image.clear();
        lines = info.readFile(path, &image, nullptr, ui);
        benchmark::DoNotOptimize(lines);
    }
    if (lines == 0 || image.totalBytes() != kImageBytes) {
        state.SkipWithError("the sample was not read");
    }
    reportThroughput(state, lines);
}
BENCHMARK(readFile)->Name("SrecRead/File")->Unit(benchmark::kMicrosecond);

void formatHex(benchmark::State& state) {
    MemoryImage image;
    fillSampleImage(image);
    std::uint32_t records = 0;
    for (auto _ : state) {
        image.rewind();
        benchmark::DoNotOptimize(hexFileText(image, nullptr, &records));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(sampleText().size()));
    state.counters["lines/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * records, benchmark::Counter::kIsRate);
}
BENCHMARK(formatHex)->Name("SrecWrite/InMemory")->Unit(benchmark::kMicrosecond);

// Includes creating, syncing and renaming the file.
void writeHex(benchmark::State& state) {
    const std::string path = sampleFile().path() + ".out";
    MemoryImage image;
    fillSampleImage(image);
    std::uint16_t records = 0;
    for (auto _ : state) {
        image.rewind();
        records = writeHexFile(path, image, nullptr);
        benchmark::DoNotOptimize(records);
    }
    if (records == 0) {
        state.SkipWithError("the file was not written");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(sampleText().size()));
    state.counters["lines/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * records, benchmark::Counter::kIsRate);
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}
BENCHMARK(writeHex)->Name("SrecWrite/File")->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--write-sample") == 0) {
        return quillon::writeFileAtomically(argv[2], sampleText()) ? 0 : 1;
    }
    if (argc == 3 && std::strcmp(argv[1], "--read") == 0) {
        QuietInterface ui;
        FirmwareInfo info;
        MemoryImage image;
        const std::uint16_t lines = info.readFile(argv[2], &image, nullptr, ui);
        std::printf("%u lines, %u bytes\n", unsigned{lines}, image.totalBytes());
        return lines > 0 ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
