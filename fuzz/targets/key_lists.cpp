// Key lists "(34,2337,...)" through getParameters and SensorCheck on the
// initialised sample camera.
#include "fuzz/FuzzEntries.h"
#include "fuzz/FuzzSupport.h"
#include "platform/ia_sim.h"

namespace {

bool isDecimal(const std::string& text) {
    size_t digits = text.size() > 1 && text[0] == '-' ? 1 : 0;
    if (digits == text.size()) {
        return false;
    }
    for (; digits < text.size(); ++digits) {
        if (text[digits] < '0' || text[digits] > '9') {
            return false;
        }
    }
    return true;
}

}  // namespace

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
    std::string checked = list;
    controller.SensorCheck(checked);
    fuzzCheck(checked == list || isDecimal(checked),
              "the sensor check leaves the list as it was or replaces it by the answer");
    iasim::clearCalls();
    return 0;
}
