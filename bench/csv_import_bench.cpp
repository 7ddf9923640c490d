// The CSV import's parser against the least any reader does. A 100 MB file as the export writes
// it (UTF-8 with a byte-order mark, CRLF, a time column and 8 value columns of 3 decimals) is
// written next to the build's programs and read once to warm the cache; then (a) reading it and
// splitting every line at the separator, and (b) reading it with the import's parser into column
// arrays, each the best of a few tries taken in turns. The bars: (b) within 3 x (a), and the
// memory (b) takes at its peak within 2.5 x the file's size; the program fails above either.

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include <fcntl.h>
#include <unistd.h>

#include "logger/csv_import.h"

namespace {

constexpr size_t kTargetBytes = 100u << 20;
constexpr int kTries = 5;
constexpr double kBar = 3.0;
constexpr double kMemoryBar = 2.5;

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes;
    in.seekg(0, std::ios::end);
    bytes.resize(static_cast<size_t>(in.tellg()));
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

void WriteFixture(const std::filesystem::path& path) {
    std::string text = "\xEF\xBB\xBFTime (s)";
    for (int c = 1; c <= 8; ++c)
        text += ",Sensor " + std::to_string(c) + " (V)";
    text += "\r\n";
    char line[256];
    for (long row = 0; text.size() < kTargetBytes; ++row) {
        int n = std::snprintf(line, sizeof line, "%.3f", row * 0.1);
        for (int c = 0; c < 8; ++c)
            n += std::snprintf(line + n, sizeof line - static_cast<size_t>(n), ",%.3f",
                               (row % 1000) * 0.013 + c * 1.5 - 4);
        text.append(line, static_cast<size_t>(n)).append("\r\n");
    }
    std::ofstream(path, std::ios::binary)
        .write(text.data(), static_cast<std::streamsize>(text.size()));
}

// The processor time the step takes on this thread, the kernel's share (page faults, reads)
// included: on a busy machine the time the thread waits for a processor is no part of it.
double Seconds(const std::function<void()>& step) {
    timespec t0{}, t1{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t0);
    step();
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t1);
    return static_cast<double>(t1.tv_sec - t0.tv_sec) + (t1.tv_nsec - t0.tv_nsec) * 1e-9;
}

// The import reads the file as the program does, a window at a time.
csv::FileStruct Import(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    const csv::ReadBytes read = [fd](char* to, size_t size) {
        const ssize_t n = ::read(fd, to, size);
        return n > 0 ? static_cast<size_t>(n) : 0;
    };
    csv::FileStruct file =
        csv::Parse(read, std::filesystem::file_size(path), ",", ".", csv::DefaultStart());
    ::close(fd);
    return file;
}

// The resident memory's peak is set back to what is resident now, which is returned.
long long ResetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
    std::ifstream status("/proc/self/status");
    long long kb = 0;
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) kb = std::stoll(line.substr(6));
    return kb << 10;
}

long long PeakMemory() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::stoll(line.substr(6)) << 10;
    return 0;
}

}  // namespace

int main() {
    const std::filesystem::path path =
        std::filesystem::read_symlink("/proc/self/exe").parent_path() / "csv_import_bench.csv";
    WriteFixture(path);
    const double mb = static_cast<double>(std::filesystem::file_size(path)) / (1 << 20);
    ReadAll(path);

    size_t fields = 0;
    const auto split = [&] {
        const std::string bytes = ReadAll(path);
        size_t count = 0;
        size_t start = 0;
        while (start < bytes.size()) {
            size_t end = bytes.find('\n', start);
            if (end == std::string::npos) end = bytes.size();
            for (size_t i = start; i < end; ++i)
                count += bytes[i] == ',';
            ++count;
            start = end + 1;
        }
        fields = count;
    };
    size_t values = 0;
    const auto parse = [&] {
        const csv::FileStruct file = Import(path);
        values = 0;
        for (const csv::ColumnStruct& c : file.columns)
            values += c.values.size();
    };
    // Taken in turns, so that both see the machine as it is at the time.
    double splitTime = 1e9, parseTime = 1e9;
    for (int i = 0; i < kTries; ++i) {
        splitTime = std::min(splitTime, Seconds(split));
        parseTime = std::min(parseTime, Seconds(parse));
    }
    const long long before = ResetPeakMemory();
    parse();
    const double memory = static_cast<double>(PeakMemory() - before) /
                          static_cast<double>(std::filesystem::file_size(path));
    std::filesystem::remove(path);

    const double ratio = parseTime / splitTime;
    std::printf("CSV file of %.0f MB, %zu fields, %zu values\n", mb, fields, values);
    std::printf("read and split: %.0f MB/s\nimport parser:  %.0f MB/s\nratio %.2f (bar %.1f)\n",
                mb / splitTime, mb / parseTime, ratio, kBar);
    std::printf("import's peak memory: %.2f x the file's size (bar %.1f)\n", memory, kMemoryBar);
    return ratio <= kBar && memory <= kMemoryBar ? 0 : 1;
}
