#include "RequestProfile.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

constexpr std::array<const char*, 5> kindNames{"lookup", "getattr", "opendir", "readdir", "other"};
constexpr int timeSlices = 20;

double milliseconds(RequestProfile::Clock::duration span) {
    return std::chrono::duration<double, std::milli>(span).count();
}

} // namespace

void RequestProfile::record(Kind kind, Clock::time_point arrived, Clock::time_point answered,
                            bool waited) {
    const std::lock_guard lock(mutex_);
    requests_.push_back(Request{kind, waited, arrived, answered});
}

void RequestProfile::write(std::FILE* out, Clock::time_point commandStart,
                           Clock::time_point commandEnd) const {
    const std::lock_guard lock(mutex_);
    const double commandMs = std::max(milliseconds(commandEnd - commandStart), 1e-3);
    std::array<long, kindNames.size()> byKind{};
    long roundTrips = 0;
    double waitingMs = 0;
    // +1 at each arrival, -1 at each answer: the running sum is the number in flight.
    std::vector<std::pair<Clock::time_point, int>> steps;
    std::array<double, timeSlices> sliceMs{};
    const double sliceWidth = commandMs / timeSlices;
    for (const Request& request : requests_) {
        ++byKind[static_cast<std::size_t>(request.kind)];
        if (!request.waited)
            continue;
        ++roundTrips;
        waitingMs += milliseconds(request.answered - request.arrived);
        steps.emplace_back(request.arrived, 1);
        steps.emplace_back(request.answered, -1);
        // Its share of waiting time in each slice of the command's time that it overlaps.
        const double from = milliseconds(request.arrived - commandStart);
        const double to = milliseconds(request.answered - commandStart);
        for (int slice = 0; slice < timeSlices; ++slice) {
            const double begin = slice * sliceWidth;
            const double overlap = std::min(to, begin + sliceWidth) - std::max(from, begin);
            if (overlap > 0)
                sliceMs[static_cast<std::size_t>(slice)] += overlap;
        }
    }
    std::sort(steps.begin(), steps.end());
    int inFlight = 0;
    int peak = 0;
    for (const auto& step : steps) {
        inFlight += step.second;
        peak = std::max(peak, inFlight);
    }
    std::fprintf(out, "command_ms %.1f\n", commandMs);
    std::fprintf(out, "requests %zu\n", requests_.size());
    for (std::size_t kind = 0; kind < kindNames.size(); ++kind)
        std::fprintf(out, "requests_%s %ld\n", kindNames[kind], byKind[kind]);
    std::fprintf(out, "round_trips %ld\n", roundTrips);
    std::fprintf(out, "mean_in_flight %.2f\n", waitingMs / commandMs);
    std::fprintf(out, "peak_in_flight %d\n", peak);
    std::fprintf(out, "in_flight_over_time");
    for (const double ms : sliceMs)
        std::fprintf(out, " %.1f", ms / sliceWidth);
    std::fprintf(out, "\n");
}
