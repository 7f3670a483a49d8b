// Where the simulated bench spends the time its latency model asks for. The bench never sleeps
// by itself: tests pass a sleeper that only counts, people get one that really waits.
#pragma once

#include <cstdint>

namespace quillon::sim {

class Sleeper {
  public:
    virtual ~Sleeper() = default;
    virtual void sleepMicroseconds(std::uint64_t micros) = 0;
};

class RealSleeper : public Sleeper {
  public:
    void sleepMicroseconds(std::uint64_t micros) override;
};

// Counts what it was asked to wait and returns at once.
class CountingSleeper : public Sleeper {
  public:
    void sleepMicroseconds(std::uint64_t micros) override {
        total_ += micros;
        ++calls_;
    }
    std::uint64_t totalMicros() const { return total_; }
    std::uint64_t calls() const { return calls_; }

  private:
    std::uint64_t total_ = 0;
    std::uint64_t calls_ = 0;
};

}  // namespace quillon::sim
