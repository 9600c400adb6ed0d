// The inputs of the mutation run: pictures and clips the test generators make (JPEG with EXIF
// orientation and preview, progressive, gray, CMYK; bitmaps of 8, 24 and 32 bits; clips
// uncompressed and in MS Video 1), each mutated as a damaged card or a hostile file would be.
// Input n of a seed is the same in every process, so a run can be repeated, and a parent can
// save the input that its child died on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class InputKind { Jpeg, Bmp, Avi };

struct SeedFile {
    std::string name; // with its extension
    InputKind kind;
    std::string bytes;
};

struct MutatedInput {
    const SeedFile* seed = nullptr;
    std::string bytes;
    std::string mutations; // what was done, e.g. "flip 3 bits @1234; truncate to 512"
};

class CMutationInputs {
public:
    // Makes the seed files (a second or so under Wine); false when a generator failed.
    bool MakeSeeds();
    const std::vector<SeedFile>& Seeds() const { return m_seeds; }

    // Input `index` of the run with `seed`: a seed file picked by the index, with one to three
    // mutations chosen by a generator seeded from both.
    MutatedInput Make(uint32_t seed, uint32_t index) const;

private:
    std::vector<SeedFile> m_seeds;
};

const char* KindName(InputKind kind);
