#include "data/sample_day.h"

#include <algorithm>

namespace {

// splitmix64: small, fast, and identical everywhere.
class Rng {
public:
    explicit Rng(uint64_t seed) : state(seed) {}
    uint64_t Next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in lo .. hi, both included.
    int64_t Between(int64_t lo, int64_t hi) {
        return lo + static_cast<int64_t>(Next() % static_cast<uint64_t>(hi - lo + 1));
    }

private:
    uint64_t state;
};

uint64_t HashCode(const std::string& code) {
    uint64_t h = 1469598103934665603ull;   // FNV-1a
    for (unsigned char c : code) h = (h ^ c) * 1099511628211ull;
    return h;
}

int32_t RoundToTick(int64_t price) {
    price = std::clamp<int64_t>(price, 1, 2'000'000);
    const int32_t tick = TickSize(static_cast<int32_t>(price));
    return static_cast<int32_t>(std::max<int64_t>(tick, price / tick * tick));
}

// HHMMSS of the k-th step after 09:00:00.
int32_t TimeAfterOpen(int32_t stepSeconds, int32_t k) {
    const int32_t s = 9 * 3600 + stepSeconds * k;
    return s / 3600 * 10000 + s % 3600 / 60 * 100 + s % 60;
}

// Heavier trading at the open and the close than at midday: weight 100 in the
// middle of the day up to 400 at its ends.
int64_t VolumeWeight(int32_t k, int32_t count) {
    const int64_t mid = (count - 1) / 2;
    const int64_t d = k - mid;
    return 100 + (mid == 0 ? 0 : 300 * d * d / (mid * mid));
}

// Ticks moved in one step. A minute moves -2..2 ticks; a second moves one
// tick one time in thirty, so a second-by-second day spreads like a minute one.
int64_t Step(Rng& rng, bool seconds) {
    if (!seconds) return rng.Between(-2, 2);
    const int64_t r = rng.Between(0, 59);
    return r == 0 ? -1 : r == 1 ? 1 : 0;
}

}   // namespace

int32_t TickSize(int32_t price) {
    if (price < 2'000) return 1;
    if (price < 5'000) return 5;
    if (price < 20'000) return 10;
    if (price < 50'000) return 50;
    if (price < 200'000) return 100;
    if (price < 500'000) return 500;
    return 1'000;
}

DayFiles MakeSampleDay(const SampleRequest& request) {
    Rng rng(request.seed ^ HashCode(request.code));
    const int32_t stepSeconds = request.seconds ? 1 : 60;
    // 09:00 .. 15:30 a minute apart, or 09:00:00 .. 15:29:59 a second apart.
    const int32_t count = request.seconds ? 23'400 : 391;

    const int64_t seededClose = rng.Between(5'000, 120'000);
    const int32_t previousClose = RoundToTick(request.previousClose > 0 ? request.previousClose : seededClose);
    const int64_t baseVolume = rng.Between(2'000, 60'000) / (request.seconds ? 60 : 1) + 1;

    DayFiles day;
    day.ticks.reserve(static_cast<std::size_t>(count));
    // The opening gap, then a walk of a few ticks per step.
    int64_t last = RoundToTick(previousClose + TickSize(previousClose) * rng.Between(-5, 5));
    for (int32_t k = 0; k < count; ++k) {
        const int32_t tick = TickSize(static_cast<int32_t>(last));
        const int32_t open = static_cast<int32_t>(last);
        const int32_t close = RoundToTick(open + tick * Step(rng, request.seconds));
        TickRecord t{};
        t.date = request.date;
        t.time = TimeAfterOpen(stepSeconds, k);
        t.open = open;
        t.close = close;
        const int64_t wick = request.seconds ? 1 : 2;
        t.high = std::max(RoundToTick(std::max(open, close) + tick * rng.Between(0, wick)), std::max(open, close));
        t.low = std::min(RoundToTick(std::min(open, close) - tick * rng.Between(0, wick)), std::min(open, close));
        t.volume = static_cast<int32_t>(baseVolume * VolumeWeight(k, count) / 100 * rng.Between(50, 150) / 100 + 1);
        day.ticks.push_back(t);
        last = close;
    }
    day.info = MakeInfo(request.code, request.cp949Name, day.ticks, 153000, previousClose);
    return day;
}
