// The pair text through ISensorController::setParameters on the initialised
// sample camera. After each input scheme 0 is current again and holds what
// its file holds, so that an input acts on much the same state as when run
// alone.
#include "fuzz/FuzzEntries.h"
#include "fuzz/FuzzSupport.h"
#include "platform/ia_sim.h"

int fuzzSetParameters(const uint8_t* data, size_t size) {
    ISensorController& controller = sharedController(true);
    FuzzInput input(data, size);
    bool bSave = (input.byte() & 1) != 0;
    std::string text = input.rest();

    controller.setParameters(text, bSave);
    int nScheme = -1;
    controller.getParamScheme(nScheme);
    fuzzCheck(nScheme >= 0, "a scheme stays current");

    controller.setParamScheme(0);
    controller.resetToLastParameters();
    iasim::clearCalls();  // the simulator's log would grow without end
    return 0;
}
