#include "walk/ScanTuning.h"

#include <algorithm>
#include <thread>

std::size_t DefaultBusyWorkers() {
    const std::size_t cores = std::thread::hardware_concurrency();
    return std::clamp<std::size_t>(2 * cores, 4, 16);
}
