// libFuzzer target of the tag reader: any bytes in, the rules of tag_reader_invariants.h
// checked out. A broken rule aborts with its description, which libFuzzer reports as a crash
// together with the input.
#include "tag_reader_invariants.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string broken
        = varnok::testing::checkTagReader({ reinterpret_cast<const char*>(data), size });
    if (!broken.empty()) {
        std::fprintf(stderr, "tag reader rule broken: %s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
