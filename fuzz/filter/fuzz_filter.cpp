// Feeds arbitrary text to the filter expression parser: setting it either refuses it as invalid
// or filters, and movement over the filtered records never fails.
#include "FilterFuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kvor::fuzzing::runFilterInput(data, size);
    return 0;
}
