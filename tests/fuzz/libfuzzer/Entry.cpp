// libFuzzer's entry for one target of FuzzTargets.h, chosen when compiling with
// -DFUZZ_TARGET=<name> (scripts/fuzz). A wrong answer stops the run like a crash, so that
// libFuzzer saves the input.
#include <cstdio>
#include <cstdlib>

#include "tests/fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (const char* wrong = fuzz_target::FUZZ_TARGET(data, size)) {
        std::fprintf(stderr, "wrong answer: %s\n", wrong);
        std::abort();
    }
    return 0;
}
