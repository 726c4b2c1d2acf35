#include "watch_clock.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>

#include "stop_signals.h"

namespace {

class TWallClock : public TWatchClock {
  public:
    std::string Now() override {
        const auto now = std::chrono::system_clock::now();
        const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
        const auto millis =
            std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
            1000;
        std::tm local{};
#ifdef _WIN32
        localtime_s(&local, &seconds);
#else
        localtime_r(&seconds, &local);
#endif
        char text[32];
        std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min,
                      local.tm_sec, static_cast<int>(millis));
        return text;
    }

    // In short steps, so that Ctrl-C is answered within a few milliseconds.
    void Wait(uint32_t ms) override {
        constexpr uint32_t step = 10;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!TStopSignals::Requested()) {
            const auto left = end - std::chrono::steady_clock::now();
            if (left <= std::chrono::milliseconds(0))
                return;
            std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
                left, std::chrono::milliseconds(step)));
        }
    }
};

}  // namespace

std::unique_ptr<TWatchClock> MakeWallClock() {
    return std::make_unique<TWallClock>();
}
