// The pair text alone: keyval_str2st_bounded into a table of the input's
// capacity, keyval_str2st into room for one record per ")", and the text the
// records print back to, which must read as the same records.
#include <string.h>

#include <algorithm>
#include <vector>

#include "fuzz/FuzzEntries.h"
#include "fuzz/FuzzSupport.h"
#include "sensor/SensorKeyVal.h"

namespace {

bool sameRecords(const KeyVal* a, const KeyVal* b, u32 count) {
    for (u32 i = 0; i < count; ++i) {
        if (a[i].key != b[i].key || a[i].value != b[i].value) {
            return false;
        }
    }
    return true;
}

}  // namespace

int fuzzKeyvalText(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    u32 nCapacity = input.byte();
    std::string text = input.rest();

    // Exactly the capacity, so that a record past it is an overflow.
    std::vector<KeyVal> records(nCapacity);
    u32 nCount = 0xFFFFFFFFu;
    keyval_str2st_bounded(text, records.data(), &nCount, nCapacity);
    fuzzCheck(nCount <= nCapacity, "keyval_str2st_bounded stops at the capacity");

    // Unbounded, into the room the text can fill (a record per ")"): the
    // same records first.
    std::vector<KeyVal> every(std::count(text.begin(), text.end(), ')') + 1);
    u32 nEvery = 0;
    keyval_str2st(text, every.data(), &nEvery);
    fuzzCheck(nEvery >= nCount && sameRecords(records.data(), every.data(), nCount),
              "the bounded read is the start of the whole read");

    std::string printed;
    keyval_st2str(printed, every.data(), nEvery);
    std::vector<KeyVal> again(nEvery + 1);
    u32 nAgain = 0;
    keyval_str2st(printed, again.data(), &nAgain);
    fuzzCheck(nAgain == nEvery && sameRecords(every.data(), again.data(), nEvery),
              "printed pairs read back as the same records");
    return 0;
}
