#include "sim/sleeper.h"

#include <chrono>
#include <thread>

namespace quillon::sim {

void RealSleeper::sleepMicroseconds(std::uint64_t micros) {
    std::this_thread::sleep_for(std::chrono::microseconds(micros));
}

}  // namespace quillon::sim
