// Replays for the archive tests, made by the replay generator.
#pragma once

#include <cstdint>

#include "test_files.h"

namespace lrx::test {

// A race replay, of a few cars unless told otherwise; the same arguments give the same bytes.
Bytes SampleReplay(uint32_t seed, int frames, int cars = 6);

}  // namespace lrx::test
