// fi_bench_gui: times the program's real windows under the offscreen platform.
//   fi_bench_gui run FOLDER [RUNS]     RUNS whole runs (default 1), then the peak memory
//   fi_bench_gui cancel FOLDER MS...   one run per MS, "Abbrechen" clicked MS after "Start!"
//   fi_bench_gui cancel-hash FOLDER MS...   the same with "Prüfsummen (SHA-256)" ticked
// Prints "name value" lines; exits with 3 when "Start!" does not lead to the result window.

#include "GuiRunDriver.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <QApplication>
#include <stdexcept>
#include <string>
#include <sys/resource.h>

namespace {

constexpr int noResultWindow = 3;

void print(const char* name, double value) {
    std::printf("%s %.3f\n", name, value);
    std::fflush(stdout);
}

void printCount(const char* name, qsizetype value) {
    std::printf("%s %lld\n", name, static_cast<long long>(value));
    std::fflush(stdout);
}

double peakResidentMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0; // ru_maxrss is in KiB on Linux
}

int count(const char* text) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 0 || value > 3600000)
        throw std::invalid_argument(std::string("not a number: ") + text);
    return static_cast<int>(value);
}

int timeRuns(GuiRunDriver& driver, int runs) {
    for (int i = 0; i < runs; ++i) {
        const auto run = driver.run();
        if (!run)
            return noResultWindow;
        print("gui_run_ms", run->runMs);
        print("gui_search_ms", run->searchMs);
        print("gui_write_ms", run->runMs - run->searchMs);
        printCount("gui_lines", run->lines);
        print("gui_rss_shown_mb", run->residentMb);
    }
    print("gui_rss_mb", peakResidentMegabytes());
    return 0;
}

int timeCancels(GuiRunDriver& driver, int argc, char** argv) {
    for (int i = 3; i < argc; ++i) {
        const int afterMs = count(argv[i]);
        const auto cancel = driver.runAndCancel(afterMs);
        if (!cancel)
            return noResultWindow;
        // A click that came before or after the search measures nothing.
        print(cancel->clickedInSearch ? "cancel_ms" : "cancel_outside_search_after_ms",
              cancel->clickedInSearch ? cancel->cancelMs : afterMs);
        if (cancel->clickedInSearch)
            print("cancel_due_ms", cancel->cancelDueMs);
        printCount("cancel_lines", cancel->lines);
    }
    return 0;
}

int usage(const char* program) {
    std::fprintf(stderr, "usage: %s run FOLDER [RUNS] | cancel[-hash] FOLDER MS...\n", program);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return usage(argv[0]);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const QApplication app(argc, argv);
    const std::string mode = argv[1];
    try {
        GuiRunDriver driver(QString::fromLocal8Bit(argv[2]));
        int status = 2;
        if (mode == "run")
            status = timeRuns(driver, argc > 3 ? count(argv[3]) : 1);
        else if (mode == "cancel")
            status = timeCancels(driver, argc, argv);
        else if (mode == "cancel-hash") {
            driver.readChecksums();
            status = timeCancels(driver, argc, argv);
        } else
            return usage(argv[0]);
        if (status == noResultWindow)
            std::fprintf(stderr, "fi_bench_gui: \"Start!\" did not show the result window\n");
        return status;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "fi_bench_gui: %s\n", error.what());
        return 1;
    }
}
