#include "replay_generator.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <initializer_list>

namespace lrx::replaygen {
namespace {

// splitmix64: the same numbers everywhere, unlike the std distributions.
class Random {
  public:
    explicit Random(uint64_t seed) : state_(seed) {}

    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint32_t Word() { return static_cast<uint32_t>(Next() >> 32); }
    uint8_t Byte() { return static_cast<uint8_t>(Next() >> 56); }
    // 0 to n - 1.
    uint32_t Below(uint32_t n) { return n == 0 ? 0 : static_cast<uint32_t>(Next() % n); }
    int Between(int low, int high) {
        return low + static_cast<int>(Below(static_cast<uint32_t>(high - low + 1)));
    }
    bool OneIn(uint32_t n) { return Below(n) == 0; }
    template <typename T>
    T Pick(std::initializer_list<T> values) {
        return values.begin()[Below(static_cast<uint32_t>(values.size()))];
    }

  private:
    uint64_t state_;
};

constexpr uint32_t kUsualHeaderSize = 2954;
constexpr uint32_t kMinHeaderSize = 1352;
constexpr int kDriverCount = 40;
constexpr int kDriverEntrySize = 33;
constexpr uint8_t kEmptyPosition[9] = {0x01, 0x00, 0x00, 0x00, 0x39, 0xD2, 0x00, 0x00, 0x00};

void PutU16(std::vector<unsigned char>& out, uint32_t v) {
    out.push_back(static_cast<unsigned char>(v));
    out.push_back(static_cast<unsigned char>(v >> 8));
}
void PutU32(std::vector<unsigned char>& out, uint32_t v) {
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}
void SetU16(unsigned char* p, uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
void SetU32(unsigned char* p, uint32_t v) {
    SetU16(p, v & 0xFFFF);
    SetU16(p + 2, v >> 16);
}

struct Driver {
    std::string name;  // at most 31 characters, no 0 byte
    uint8_t driverByte = 0;
};

// The shape of the header block.
struct HeaderShape {
    uint32_t headerSize = kUsualHeaderSize;
    int slotBase = 1;
    std::vector<Driver> drivers;  // at most 40; none may be empty
    uint32_t nonZeroWordOneIn = 4;
};

void AppendHeaderBlock(std::vector<unsigned char>& out, const HeaderShape& shape, Random& random) {
    const std::size_t start = out.size();
    out.resize(start + shape.headerSize, 0);
    unsigned char* block = out.data() + start;
    for (int i = 0; i < 32; ++i) block[i] = random.Byte();
    if (shape.slotBase == 0) {
        block[4] = 5;
    } else if (block[4] == 5) {
        block[4] = 6;
    }
    for (std::size_t i = 0; i < shape.drivers.size() && i < kDriverCount; ++i) {
        unsigned char* entry = block + 32 + i * kDriverEntrySize;
        std::memcpy(entry, shape.drivers[i].name.data(), shape.drivers[i].name.size());
        entry[32] = shape.drivers[i].driverByte;
    }
    const uint32_t words = (shape.headerSize - kMinHeaderSize) / 4;
    for (uint32_t w = 0; w < words; ++w) {
        if (random.OneIn(shape.nonZeroWordOneIn)) {
            SetU32(block + kMinHeaderSize + 4 * w, random.Pick<uint32_t>({1, random.Word()}));
        }
    }
    for (uint32_t t = kMinHeaderSize + 4 * words; t < shape.headerSize; ++t)
        block[t] = random.Byte();
}

std::string RandomName(Random& random, int length) {
    std::string name;
    for (int i = 0; i < length; ++i) name.push_back(static_cast<char>(random.Between(0x20, 0xFF)));
    return name;
}

struct Car {
    bool present = true;
    uint8_t flag = 0;
    uint32_t key = 0;  // 24 bits
    int32_t b = 0;     // 16 bits, signed
    uint32_t c = 0;    // 16 bits
    uint32_t d = 0;    // 8 bits
    // Race motion.
    int speed = 0;
    int bVelocity = 0;
    // The last three keys and valueBs seen while present, latest first, as
    // the codec predicts from them.
    uint32_t keyHistory[3] = {0, 0, 0};
    int32_t bHistory[3] = {0, 0, 0};
};

void Remember(Car& car) {
    car.keyHistory[2] = car.keyHistory[1];
    car.keyHistory[1] = car.keyHistory[0];
    car.keyHistory[0] = car.key;
    car.bHistory[2] = car.bHistory[1];
    car.bHistory[1] = car.bHistory[0];
    car.bHistory[0] = car.b;
}

uint32_t KeyExtrapolation(const Car& car) {
    return 3 * car.keyHistory[0] - 3 * car.keyHistory[1] + car.keyHistory[2];
}
int32_t BExtrapolation(const Car& car) {
    return 3 * car.bHistory[0] - 3 * car.bHistory[1] + car.bHistory[2];
}
int32_t ToInt16(int64_t v) {
    return static_cast<int16_t>(static_cast<uint16_t>(v & 0xFFFF));
}

struct Blocks {
    std::vector<std::array<unsigned char, 14>> a1;
    std::vector<std::array<unsigned char, 7>> a2;
    std::vector<std::array<unsigned char, 13>> a3;
};

// Appends one frame: the entries in the given order (-1 for an empty
// position), the three blocks and the frame's length.
void AppendFrame(std::vector<unsigned char>& out, const std::vector<Car>& cars, int slotBase,
                 const std::vector<int>& order, const Blocks& blocks) {
    const std::size_t start = out.size();
    for (int slot : order) {
        if (slot < 0) {
            out.insert(out.end(), kEmptyPosition, kEmptyPosition + 9);
            continue;
        }
        const Car& car = cars[static_cast<std::size_t>(slot)];
        // Status 1 always means empty, so slot 0 of base 0 carries no flag.
        const uint8_t flag = (slotBase == 0 && slot == 0) ? 0 : car.flag;
        out.push_back(static_cast<unsigned char>(2 * (slot + slotBase) + flag));
        out.push_back(static_cast<unsigned char>(car.key));
        PutU16(out, car.key >> 8);
        PutU16(out, static_cast<uint16_t>(car.b));
        PutU16(out, car.c);
        out.push_back(static_cast<unsigned char>(car.d));
    }
    out.push_back(static_cast<unsigned char>(blocks.a1.size()));
    for (const auto& r : blocks.a1) out.insert(out.end(), r.begin(), r.end());
    out.push_back(static_cast<unsigned char>(blocks.a2.size()));
    for (const auto& r : blocks.a2) out.insert(out.end(), r.begin(), r.end());
    out.push_back(static_cast<unsigned char>(blocks.a3.size()));
    for (const auto& r : blocks.a3) out.insert(out.end(), r.begin(), r.end());
    PutU32(out, static_cast<uint32_t>(out.size() - start + 4));
}

// Present cars by ascending key, then the empty positions: the order the
// decoder rebuilds. Tied keys let the frame take any order.
std::vector<int> SortedOrder(const std::vector<Car>& cars, bool& tied) {
    std::vector<int> order;
    for (std::size_t s = 0; s < cars.size(); ++s) {
        if (cars[s].present) order.push_back(static_cast<int>(s));
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](int x, int y) { return cars[x].key < cars[y].key; });
    tied = false;
    for (std::size_t i = 1; i < order.size(); ++i) {
        tied = tied || cars[order[i]].key == cars[order[i - 1]].key;
    }
    order.resize(cars.size(), -1);
    return order;
}

void Shuffle(std::vector<int>& order, Random& random) {
    for (std::size_t i = order.size(); i > 1; --i) {
        std::swap(order[i - 1], order[random.Below(static_cast<uint32_t>(i))]);
    }
}

// Record contents. `rare` is the chance, one in so many, of leaving the
// common values for any byte.
std::array<unsigned char, 14> MakeA1(Random& random, bool edge) {
    std::array<unsigned char, 14> r{};
    for (auto& byte : r) byte = random.Byte();
    if (edge) {
        r[0] = random.Pick<uint8_t>({0, 1, 2, 3, 255});
        SetU16(&r[3], random.Pick<uint32_t>({0, 1023, 1024, 65535}));
        SetU32(&r[7], random.Pick<uint32_t>({0, 1, 255, 256, 0xFFFFFFFF}));
        SetU16(&r[11], random.Pick<uint32_t>({0, 2047, 2048, 65535}));
        r[13] = random.Pick<uint8_t>({0, 1, 254, 255});
        return r;
    }
    r[0] = random.Pick<uint8_t>({1, 1, 1, 2, 2, r[0]});
    if (!random.OneIn(5)) SetU16(&r[3], random.Below(1024));
    SetU32(&r[7],
           random.Pick<uint32_t>({0, 0, 0, random.Below(256), random.Below(256), random.Word()}));
    if (!random.OneIn(5)) SetU16(&r[11], random.Below(2048));
    r[13] = random.Pick<uint8_t>({0, 0, 0, 255, 255, r[13]});
    return r;
}

std::array<unsigned char, 7> MakeA2(Random& random, bool edge) {
    std::array<unsigned char, 7> r{};
    for (auto& byte : r) byte = random.Byte();
    if (edge) {
        r[0] = random.Pick<uint8_t>({0, 1, 2, 3, 4, 5, 6, 255});
        r[3] = random.Pick<uint8_t>({0, 1, 2, 255});
        SetU16(&r[4], random.Pick<uint32_t>({0, 2047, 2048, 65535}));
        r[6] = random.Pick<uint8_t>({0, 126, 127, 128, 255});
        return r;
    }
    if (!random.OneIn(8)) r[0] = static_cast<uint8_t>(random.Below(6));
    r[3] = random.Pick<uint8_t>({0, 0, 0, 1, 1, r[3]});
    if (!random.OneIn(5)) SetU16(&r[4], random.Below(2048));
    if (!random.OneIn(4)) r[6] = 127;
    return r;
}

std::array<unsigned char, 13> MakeA3(Random& random, bool edge) {
    std::array<unsigned char, 13> r{};
    for (auto& byte : r) byte = random.Byte();
    if (edge) {
        r[0] = random.Pick<uint8_t>({0, 1, 2, 3, 255});
        for (int i = 1; i <= 3; ++i) r[i] = random.Pick<uint8_t>({0, 31, 32, 255});
        for (int i = 4; i <= 7; ++i) r[i] = random.Pick<uint8_t>({0, 1, 255});
        r[12] = random.Pick<uint8_t>({0, 1, 255});
        return r;
    }
    if (random.OneIn(4)) {
        r[0] = static_cast<uint8_t>(random.Between(3, 255));
        if (!random.OneIn(3)) r[7] = 0;
        if (!random.OneIn(3)) r[12] = 0;
        return r;
    }
    r[0] = static_cast<uint8_t>(random.Below(3));
    for (int i = 1; i <= 3; ++i) {
        if (!random.OneIn(5)) r[i] = static_cast<uint8_t>(random.Below(32));
    }
    for (int i = 4; i <= 6; ++i) {
        if (!random.OneIn(4)) r[i] = 0;
    }
    return r;
}

Blocks MakeBlocks(Random& random, bool edge, int scale) {
    Blocks blocks;
    auto count = [&](uint32_t oneIn, int most) {
        if (!random.OneIn(oneIn)) return 0;
        return random.Between(1, most);
    };
    int c1, c2, c3;
    if (edge) {
        c1 = random.Pick<int>({0, 0, 1, 2, random.Between(3, 12)});
        c2 = random.Pick<int>({0, 0, 1, 2, random.Between(3, 12)});
        c3 = random.Pick<int>({0, 0, 1, 1, 2, random.Between(3, 12)});
        if (random.OneIn(60)) c1 = 255;
        if (random.OneIn(60)) c2 = 255;
        if (random.OneIn(60)) c3 = 255;
    } else {
        c1 = count(10 * scale, 3);
        c2 = count(15 * scale, 2);
        c3 = count(12 * scale, 4);
    }
    for (int i = 0; i < c1; ++i) blocks.a1.push_back(MakeA1(random, edge));
    for (int i = 0; i < c2; ++i) blocks.a2.push_back(MakeA2(random, edge));
    for (int i = 0; i < c3; ++i) blocks.a3.push_back(MakeA3(random, edge));
    return blocks;
}

// Finishes a replay: preamble in front of the header block and frames.
std::vector<unsigned char> Assemble(uint32_t headerSize, uint32_t slotCount,
                                    const std::vector<unsigned char>& header,
                                    const std::vector<unsigned char>& frames, Random& random) {
    std::vector<unsigned char> replay;
    replay.reserve(16 + header.size() + frames.size());
    PutU32(replay, headerSize);
    PutU32(replay, static_cast<uint32_t>(frames.size()));
    PutU32(replay, random.Word());
    PutU32(replay, slotCount);
    replay.insert(replay.end(), header.begin(), header.end());
    replay.insert(replay.end(), frames.begin(), frames.end());
    return replay;
}

std::vector<unsigned char> MakeRace(const GeneratorOptions& options, Random& random) {
    const int n = options.cars >= 0 ? options.cars : 20;
    const int frameCount = options.frames >= 0 ? options.frames : 3000;
    HeaderShape shape;
    shape.slotBase = random.OneIn(2) ? 0 : 1;
    for (int i = 0; i < n && i < kDriverCount; ++i) {
        shape.drivers.push_back(
            {RandomName(random, random.Between(3, 24)), static_cast<uint8_t>(random.Below(127))});
    }
    std::vector<unsigned char> header;
    AppendHeaderBlock(header, shape, random);

    std::vector<Car> cars(static_cast<std::size_t>(n));
    for (Car& car : cars) {
        car.present = !random.OneIn(10);
        car.flag = random.OneIn(8) ? 1 : 0;
        car.key = random.Below(2000);
        car.speed = random.Between(40, 90);
        car.b = random.Between(-20000, 20000);
        car.bVelocity = random.Between(-50, 50);
        car.c = random.Below(65536);
        car.d = random.Below(8);
    }
    std::vector<unsigned char> frames;
    for (int f = 0; f < frameCount; ++f) {
        for (Car& car : cars) {
            if (f > 0) {
                if (car.present ? random.OneIn(800) : random.OneIn(30)) car.present = !car.present;
            }
            car.speed = std::clamp(car.speed + random.Between(-2, 2), 30, 100);
            car.key = (car.key + static_cast<uint32_t>(car.speed)) & 0xFFFFFF;
            car.bVelocity = std::clamp(car.bVelocity + random.Between(-3, 3), -200, 200);
            int32_t b = car.b + car.bVelocity;
            if (b > 30000 || b < -30000) {
                car.bVelocity = -car.bVelocity / 2;
                b = std::clamp(b, -30000, 30000);
            }
            car.b = b;
            car.c = random.OneIn(150)
                        ? random.Below(65536)
                        : (car.c + static_cast<uint32_t>(random.Between(-8, 8))) & 0xFFFF;
            if (random.OneIn(200)) car.d = (car.d + (random.OneIn(2) ? 1u : 255u)) & 0xFF;
            if (random.OneIn(2000)) car.d = random.Byte();
            if (random.OneIn(500)) car.flag ^= 1;
        }
        bool tied;
        std::vector<int> order = SortedOrder(cars, tied);
        AppendFrame(frames, cars, shape.slotBase, order, MakeBlocks(random, false, 1));
    }
    return Assemble(shape.headerSize, static_cast<uint32_t>(n), header, frames, random);
}

HeaderShape EdgeHeader(uint64_t seed, Random& random) {
    HeaderShape shape;
    shape.slotBase = static_cast<int>((seed / 4) % 2);
    switch (seed % 4) {
        case 0:  // full list: no end mark; longest names, largest driver bytes
            for (int i = 0; i < kDriverCount; ++i) {
                shape.drivers.push_back({RandomName(random, random.Pick<int>({0, 1, 30, 31})),
                                         random.Pick<uint8_t>({0, 1, 125, 126})});
                if (shape.drivers.back().name.empty() && shape.drivers.back().driverByte == 0) {
                    shape.drivers.back().driverByte = 5;
                }
            }
            break;
        case 1:  // no words, no tail, empty list
            shape.headerSize = kMinHeaderSize;
            break;
        case 2:  // one more than usual: three tail bytes, every word non-zero
            shape.headerSize = kUsualHeaderSize + 1;
            shape.nonZeroWordOneIn = 1;
            shape.drivers.push_back({"", 5});
            shape.drivers.push_back({RandomName(random, 31), 126});
            break;
        default:  // odd sizes, a short list
            shape.headerSize = kMinHeaderSize + random.Below(400);
            for (int i = random.Between(1, 39); i > 0; --i) {
                shape.drivers.push_back({RandomName(random, random.Between(1, 31)), random.Byte()});
                shape.drivers.back().driverByte %= 127;
            }
            break;
    }
    return shape;
}

std::vector<unsigned char> MakeEdge(const GeneratorOptions& options, Random& random) {
    static constexpr int kCarCounts[4] = {3, 7, 63, 2};
    const int n = options.cars >= 0 ? options.cars : kCarCounts[(options.seed / 2) % 4];
    const int frameCount = options.frames >= 0 ? options.frames : 300;
    const HeaderShape shape = EdgeHeader(options.seed, random);
    std::vector<unsigned char> header;
    AppendHeaderBlock(header, shape, random);

    std::vector<Car> cars(static_cast<std::size_t>(n));
    std::vector<unsigned char> frames;
    for (int f = 0; f < frameCount; ++f) {
        const bool allEmpty = random.OneIn(15);
        const bool allPresent = random.OneIn(6);
        for (Car& car : cars) {
            if (allEmpty || allPresent) {
                car.present = allPresent;
            } else if (random.OneIn(5)) {
                car.present = !car.present;
            }
            if (!car.present) continue;
            car.flag = random.OneIn(2) ? 1 : 0;
            // Residuals at and beside every code boundary.
            const int32_t r =
                random.Pick<int32_t>({0, 1, -1, 2, -2, 3, -3, 4, -4, 0x7FFFFF, -0x800000,
                                      static_cast<int32_t>(random.Word())});
            car.key = (KeyExtrapolation(car) + static_cast<uint32_t>(r)) & 0xFFFFFF;
            const int32_t rb = random.Pick<int32_t>({0, 1, -1, 2, -2, 3, -3, 4, -4, 32767, -32768,
                                                     static_cast<int32_t>(random.Word())});
            car.b = ToInt16(int64_t{BExtrapolation(car)} + rb);
            if (car.c == 65535 && random.OneIn(2)) {
                car.c = 0;
            } else {
                const int32_t dc =
                    random.Pick<int32_t>({0, 1, -1, 63, -63, 64, -64, 32767, -32768, 65535,
                                          static_cast<int32_t>(random.Word())});
                car.c = (car.c + static_cast<uint32_t>(dc)) & 0xFFFF;
                if (random.OneIn(8)) car.c = 65535;
            }
            const int32_t dd = random.Pick<int32_t>({0, 1, -1, 2, -2, 127, -128, 255});
            car.d = (car.d + static_cast<uint32_t>(dd)) & 0xFF;
            Remember(car);
        }
        // Now and then two cars share a key: such a frame may take any order.
        if (random.OneIn(8) && n >= 2) {
            const int a = random.Between(0, n - 1), b = random.Between(0, n - 1);
            if (a != b && cars[a].present && cars[b].present) {
                cars[b].key = cars[a].key;
                cars[b].keyHistory[0] = cars[b].key;
            }
        }
        bool tied;
        std::vector<int> order = SortedOrder(cars, tied);
        if (tied || f == 0) Shuffle(order, random);
        AppendFrame(frames, cars, shape.slotBase, order, MakeBlocks(random, true, 1));
    }
    return Assemble(shape.headerSize, static_cast<uint32_t>(n), header, frames, random);
}

std::vector<unsigned char> MakeTiny(const GeneratorOptions& options, Random& random) {
    const int n = options.cars >= 0 ? options.cars : static_cast<int>(options.seed % 2);
    const int frameCount =
        options.frames >= 0 ? options.frames : static_cast<int>(options.seed % 5);
    HeaderShape shape;
    shape.slotBase = random.OneIn(2) ? 0 : 1;
    shape.headerSize = random.OneIn(2) ? kUsualHeaderSize : kMinHeaderSize + random.Below(8);
    if (n > 0) shape.drivers.push_back({RandomName(random, random.Between(0, 31)), 1});
    std::vector<unsigned char> header;
    AppendHeaderBlock(header, shape, random);

    std::vector<Car> cars(static_cast<std::size_t>(n));
    std::vector<unsigned char> frames;
    for (int f = 0; f < frameCount; ++f) {
        for (Car& car : cars) {
            car.present = !random.OneIn(4);
            car.key = random.Below(1 << 24);
            car.b = ToInt16(random.Word());
            car.c = random.Below(65536);
            car.d = random.Byte();
            car.flag = random.Byte() & 1;
        }
        bool tied;
        std::vector<int> order = SortedOrder(cars, tied);
        AppendFrame(frames, cars, shape.slotBase, order, MakeBlocks(random, false, 1));
    }
    return Assemble(shape.headerSize, static_cast<uint32_t>(n), header, frames, random);
}

}  // namespace

std::vector<unsigned char> GenerateReplay(const GeneratorOptions& options) {
    GeneratorOptions clamped = options;
    clamped.cars = std::min(clamped.cars, 63);
    Random random(options.seed ^ (static_cast<uint64_t>(options.profile) << 56));
    switch (options.profile) {
        case Profile::Edge:
            return MakeEdge(clamped, random);
        case Profile::Tiny:
            return MakeTiny(clamped, random);
        case Profile::Race:
            break;
    }
    return MakeRace(clamped, random);
}

bool ParseProfile(const std::string& name, Profile& profile) {
    for (Profile p : {Profile::Race, Profile::Edge, Profile::Tiny}) {
        if (name == ProfileName(p)) {
            profile = p;
            return true;
        }
    }
    return false;
}

const char* ProfileName(Profile profile) {
    switch (profile) {
        case Profile::Race:
            return "race";
        case Profile::Edge:
            return "edge";
        case Profile::Tiny:
            return "tiny";
    }
    return "race";
}

const char* ProfileDescriptions() {
    return "  race  (default) 20 cars, 3000 frames, header size 2954 with one driver per car.\n"
           "        Each car's orderKey grows smoothly like distance along a lap, valueB is a\n"
           "        smooth signed coordinate, valueC moves in small steps with occasional\n"
           "        jumps, valueD rarely changes. Cars leave and return now and then. A1, A2\n"
           "        and A3 records are sparse and mix common and rare values.\n"
           "  edge  Values at every code boundary: residuals 0 to +-4 and escapes, valueC\n"
           "        steps of +-63/+-64 and 65535 -> 0, tied orderKeys (frames in any order),\n"
           "        all-empty frames, block counts 0, 1, 2 and 255, record fields on both\n"
           "        sides of each short code. Seed picks the header: seed % 4 = 0 a full\n"
           "        40-entry driver list, 1 header size 1352 and no drivers, 2 size 2955 with\n"
           "        an entry of empty name, 3 odd sizes with tail bytes; (seed / 4) % 2 picks\n"
           "        slot base 0 or 1; cars 3, 7, 63 or 2 by (seed / 2) % 4; 300 frames.\n"
           "  tiny  seed % 2 cars (0 or 1) and seed % 5 frames, random values.\n";
}

}  // namespace lrx::replaygen
