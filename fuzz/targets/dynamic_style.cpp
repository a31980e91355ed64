// A style tailored to arbitrary processor answers: the dynamic-command list
// and the ranges of its commands come from the input, counts far beyond the
// records' room included, then getDnaStyle and getFctData.
#include <vector>

#include "fuzz/FuzzEntries.h"
#include "fuzz/FuzzSupport.h"
#include "platform/ia_sim.h"
#include "sensor/SensorFile.h"
#include "sensor/sensor.h"

namespace {

// The commands the sample sensors restrict, and the placeholders the
// tailoring removes; a command list longer than the input repeats them.
const int32_t kKnownCommands[] = {49, 50, 82, 1537, 10, 11, 112, 128, 34, 2368};
const size_t kKnownCount = sizeof(kKnownCommands) / sizeof(kKnownCommands[0]);

void setCommands(FuzzInput& input) {
    size_t nCount = input.u16();
    std::vector<int32_t> commands;
    commands.reserve(nCount);
    for (size_t i = 0; i < nCount; ++i) {
        commands.push_back(input.empty() ? kKnownCommands[i % kKnownCount] : input.u16());
    }
    iasim::setDynamicCommands(0, commands);
}

void setRanges(FuzzInput& input) {
    int nRanges = input.byte();
    for (int r = 0; r < nRanges && !input.empty(); ++r) {
        uint32_t cmd = input.u16();
        int32_t type = input.byte();
        int32_t nDefault = input.i32();
        size_t nItems = input.u16();
        std::vector<int32_t> items;
        items.reserve(nItems);
        for (size_t i = 0; i < nItems; ++i) {
            items.push_back(static_cast<int16_t>(input.u16()));
        }
        iasim::setParamRange(0, cmd, type, nDefault, items);
    }
}

}  // namespace

int fuzzDynamicStyle(const uint8_t* data, size_t size) {
    fuzzSandbox();
    iasim::reset();
    FuzzInput input(data, size);
    uint8_t flags = input.byte();
    bool bShowWdr = (flags & 1) != 0;
    setshowBeawayFalg((flags & 2) != 0);
    setCommands(input);
    setRanges(input);
    std::string style = input.rest();

    std::string tailored;
    getDnaStyle(1, style.c_str(), tailored, bShowWdr);

    // Exactly the controller's room, so that a record past it is an overflow.
    std::vector<KeyVal> factory(FACTORY_KEYVAL_CAPACITY);
    u32 nCount = 0;
    getFctData(1, &style[0], factory.data(), &nCount, bShowWdr);
    fuzzCheck(nCount <= FACTORY_KEYVAL_CAPACITY, "the factory set stays within its room");
    setshowBeawayFalg(true);
    return 0;
}
