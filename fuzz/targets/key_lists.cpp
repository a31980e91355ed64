// Key lists "(34,2337,...)" through getParameters and SensorCheck on the
// initialised sample camera.
#include "fuzz/FuzzEntries.h"
#include "fuzz/FuzzSupport.h"
#include "platform/ia_sim.h"

int fuzzKeyLists(const uint8_t* data, size_t size) {
    ISensorController& controller = sharedController(true);
    FuzzInput input(data, size);
    std::string list = input.rest();

    std::string parameters = "unchanged";
    if (controller.getParameters(list, parameters)) {
        fuzzCheck(parameters.empty() || (parameters.front() == '(' && parameters.back() == ')'),
                  "getParameters answers pairs");
    } else {
        fuzzCheck(parameters == "unchanged", "a refused key list leaves the answer alone");
    }
    std::string result;
    controller.SensorCheck(list, result);
    iasim::clearCalls();
    return 0;
}
