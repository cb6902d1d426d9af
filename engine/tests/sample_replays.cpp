#include "sample_replays.h"

#include "replay_generator.h"

namespace lrx::test {

Bytes SampleReplay(uint32_t seed, int frames, int cars) {
    replaygen::GeneratorOptions options;
    options.seed = seed;
    options.cars = cars;
    options.frames = frames;
    return replaygen::GenerateReplay(options);
}

}  // namespace lrx::test
