// Makes synthetic replay files for tests and benchmarks. Every replay it
// makes follows the replay model, so packing and unpacking it gives back the
// same bytes. The same options give the same bytes on every platform.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lrx::replaygen {

enum class Profile {
    Race,  // a long race: smooth values, few records
    Edge,  // values at every code boundary
    Tiny,  // zero or one car, a few frames
};

struct GeneratorOptions {
    Profile profile = Profile::Race;
    uint64_t seed = 1;
    int cars = -1;    // -1: the profile's choice; at most 63
    int frames = -1;  // -1: the profile's choice
};

std::vector<unsigned char> GenerateReplay(const GeneratorOptions& options);

// "race", "edge" or "tiny".
bool ParseProfile(const std::string& name, Profile& profile);
const char* ProfileName(Profile profile);

// What each profile makes, for --help.
const char* ProfileDescriptions();

}  // namespace lrx::replaygen
