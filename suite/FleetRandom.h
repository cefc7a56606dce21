#pragma once

#include <cmath>
#include <cstdint>

// Deterministic pseudo-random numbers (splitmix64) with our own distributions, so a seed
// gives the same fleet with every standard library.
class FleetRandom {
public:
    explicit FleetRandom(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    double unit() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    // Uniform in [0, n); n > 0.
    int below(int n) { return int(unit() * n); }
    // Uniform in [low, high].
    int between(int low, int high) { return low + below(high - low + 1); }
    bool chance(double p) { return unit() < p; }
    // Poisson-distributed count with the given mean (Knuth; the means here are small).
    int poisson(double mean) {
        const double limit = std::exp(-mean);
        double product = unit();
        int count = 0;
        while (product > limit) {
            ++count;
            product *= unit();
        }
        return count;
    }
    template <typename Container> decltype(auto) pick(Container&& items) {
        return items[std::size_t(below(int(std::size(items))))];
    }

private:
    std::uint64_t m_state;
};
