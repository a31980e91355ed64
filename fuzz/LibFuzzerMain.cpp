// The libFuzzer driver of one target; FUZZ_ENTRY names its body (FuzzEntries.h).
#include <fcntl.h>
#include <stdint.h>
#include <stdlib.h>
#include <unistd.h>

#include "fuzz/FuzzEntries.h"

#ifndef FUZZ_ENTRY
#error "FUZZ_ENTRY names the target's entry function"
#endif

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The module reports failed checks on standard output; libFuzzer speaks
    // on standard error.
    int null = open("/dev/null", O_WRONLY);
    if (null >= 0) {
        dup2(null, STDOUT_FILENO);
        close(null);
    }
    atexit(fuzzShutdown);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FUZZ_ENTRY(data, size);
}
