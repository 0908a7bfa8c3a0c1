#ifndef QUENCHBOX_TESTS_FUZZ_DOORS_H
#define QUENCHBOX_TESTS_FUZZ_DOORS_H

#include <cstddef>
#include <cstdint>

// The newer formats' doors into the effect, driven by the fuzzer's bytes as
// an untrusted host or a stranger's saved project would: each makes one
// instance, runs a call sequence read from the bytes and checks that every
// output sample is finite.
namespace fuzz {

void throughClap(const std::uint8_t* data, std::size_t size);
void throughVst3(const std::uint8_t* data, std::size_t size);

}  // namespace fuzz

#endif
