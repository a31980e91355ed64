// Arbitrary bytes as the parameter files and the version file of camera 1,
// then init and a scheme switch, with the number of schemes from the input
// and the box camera optionally turned licence-plate camera. The controller
// is constructed once; each input releases it and initialises it again.
//
// With flag bit 7 each scheme file's block is not the file's bytes but a
// recipe that builds the file from the factory set's records, so that files
// of the set's keys in another order, with keys the set lacks, with a key
// twice and with a trailing partial record are common. A recipe is read op
// by op (op byte modulo 6), missing bytes reading as 0:
//   0 run       byte: first index, byte: count, byte: signed step added to
//               each value; the factory records from the index on
//   1 record    byte: index (modulo the set's size), i32: value
//   2 foreign   u16: key above any of the style's, i32: value
//   3 repeat    i32: value; a record of the last record's key again
//   4 reversed  the factory set back to front
//   5 partial   byte: 1 to 7 bytes of a record (modulo 7, plus 1); ends the file
// After init the current set must hold exactly the factory set's keys, in
// order, whatever the files held: a file gives values, never keys.
#include <stdio.h>

#include <algorithm>
#include <map>
#include <vector>

#include "fuzz/FuzzEntries.h"
#include "fuzz/FuzzSupport.h"
#include "platform/CameraPaths.h"
#include "platform/ia_sim.h"
#include "sensor/SensorFile.h"

namespace {

const int kSchemeFiles = 4;
const int kSchemeCounts = 18;       // 0 to 17: past the 16 the module allows
const uint32_t kModuleVersion = 8;  // what the module writes and expects
const std::string kModuleVersionFile(reinterpret_cast<const char*>(&kModuleVersion), 4);

enum : uint8_t {
    VERSION_PRESENT = 0x01,  // bits 1-4: sensor0-3.cfg present
    VERSION_FROM_INPUT = 0x20,
    LICENCE_PLATE = 0x40,
    FILES_FROM_RECIPES = 0x80,
};

const uint32_t kForeignKeys = 0x7f000000;  // foreign keys start above every style id
const size_t kRecipeRecordsMax = SAVED_RECORDS_MAX + 64;

std::string schemeFile(int scheme) {
    return platform::schemeFileName(1, scheme);
}

void placeFile(const std::string& cameraPath, bool present, FuzzInput& input) {
    if (present) {
        writeSandboxFile(cameraPath, input.block());
    } else {
        removeSandboxFile(cameraPath);
    }
}

typedef std::vector<KeyVal> Records;

void appendRecord(std::string& file, uint32_t key, int32_t value) {
    KeyVal record = {key, value};
    file.append(reinterpret_cast<const char*>(&record), sizeof(record));
}

// The scheme file a recipe (see the top of the file) builds from the factory set.
std::string fileFromRecipe(const std::string& recipeBytes, const Records& factory) {
    FuzzInput recipe(reinterpret_cast<const uint8_t*>(recipeBytes.data()), recipeBytes.size());
    const size_t n = factory.size();
    std::string file;
    uint32_t lastKey = n > 0 ? factory[0].key : 0;
    auto records = [&file] { return file.size() / sizeof(KeyVal); };
    while (!recipe.empty() && records() < kRecipeRecordsMax) {
        switch (recipe.byte() % 6) {
            case 0: {
                size_t first = recipe.byte();
                size_t count = recipe.byte();
                int8_t step = static_cast<int8_t>(recipe.byte());
                for (size_t i = first; i < n && i < first + count; ++i) {
                    uint32_t value = static_cast<uint32_t>(factory[i].value) +
                                     static_cast<uint32_t>(static_cast<int32_t>(step));
                    appendRecord(file, factory[i].key, static_cast<int32_t>(value));
                    lastKey = factory[i].key;
                }
                break;
            }
            case 1: {
                uint8_t index = recipe.byte();
                int32_t value = recipe.i32();
                if (n > 0) {
                    lastKey = factory[index % n].key;
                    appendRecord(file, lastKey, value);
                }
                break;
            }
            case 2: {
                lastKey = kForeignKeys + recipe.u16();
                appendRecord(file, lastKey, recipe.i32());
                break;
            }
            case 3:
                appendRecord(file, lastKey, recipe.i32());
                break;
            case 4:
                for (size_t i = n; i > 0; --i) {
                    appendRecord(file, factory[i - 1].key, factory[i - 1].value);
                }
                lastKey = n > 0 ? factory[0].key : lastKey;
                break;
            default:
                file.append(static_cast<size_t>(recipe.byte() % 7 + 1), '\x5a');
                return file;
        }
    }
    return file;
}

// The records of a parameter text "(key,value)...".
Records recordsOf(const std::string& text) {
    Records records;
    for (size_t at = text.find('('); at != std::string::npos; at = text.find('(', at + 1)) {
        int key = 0;
        int value = 0;
        if (sscanf(text.c_str() + at, "(%d,%d)", &key, &value) == 2) {
            records.push_back(KeyVal{static_cast<uint32_t>(key), value});
        }
    }
    return records;
}

bool sameKeys(const Records& a, const Records& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](KeyVal x, KeyVal y) { return x.key == y.key; });
}

// The current set as getAllParameters tells it; a controller left without a
// current scheme (day/night or schedule mode at init) is switched to scheme 0.
Records currentSet(ISensorController& controller, int schemes) {
    std::string parameters;
    controller.getAllParameters(parameters);
    if (parameters.empty() && schemes > 0 && controller.setParamScheme(0)) {
        controller.getAllParameters(parameters);
    }
    return recordsOf(parameters);
}

// Most inputs keep the module's own version, so that the parameter files are
// read rather than deleted as outdated.
void placeVersionFile(uint8_t flags, FuzzInput& input) {
    if ((flags & VERSION_FROM_INPUT) != 0) {
        placeFile(platform::kVersionFile, (flags & VERSION_PRESENT) != 0, input);
    } else if ((flags & VERSION_PRESENT) != 0) {
        writeSandboxFile(platform::kVersionFile, kModuleVersionFile);
    } else {
        removeSandboxFile(platform::kVersionFile);
    }
}

// The sample box camera, or the same machine as a licence-plate camera
// (device type 8, no infrared field in the detail text).
ModuleConfigure placeMachine(bool licencePlate, int schemes) {
    std::string machine = sampleDataFile("cameras/box" + std::string(platform::kMachineInfoFile));
    std::string::size_type type = machine.find("DeviceType=1\n");
    fuzzCheck(type != std::string::npos, "the sample machine is a box camera");
    if (licencePlate) {
        machine.replace(type, 13, "DeviceType=8\n");
    }
    writeSandboxFile(platform::kMachineInfoFile, machine);

    char detail[128];
    snprintf(detail, sizeof(detail), "(max_scheme=%d)%s(lensType=1)(lightType=0)(sensor=imx385)",
             schemes, licencePlate ? "" : "(isInfrared=1)");
    ModuleConfigure module = sampleModuleConfigure();
    module.setDetail(detail);
    return module;
}

// The factory set of the module's detail text: what a controller holds after
// an init without scheme files. Worked out once per detail text.
const Records& factorySet(ISensorController& controller, const ModuleConfigure& module,
                          int schemes) {
    static std::map<std::string, Records> s_sets;
    std::map<std::string, Records>::const_iterator known = s_sets.find(module.getDetail());
    if (known != s_sets.end()) {
        return known->second;
    }
    writeSandboxFile(platform::kVersionFile, kModuleVersionFile);
    for (int s = 0; s < kSchemeCounts; ++s) {
        removeSandboxFile(schemeFile(s));
    }
    fuzzCheck(controller.init(module), "init succeeds without scheme files");
    Records factory = currentSet(controller, schemes);
    controller.uinit();
    iasim::clearCalls();
    return s_sets[module.getDetail()] = factory;
}

}  // namespace

int fuzzParamFiles(const uint8_t* data, size_t size) {
    ISensorController& controller = sharedController(false);
    controller.uinit();
    iasim::clearCalls();

    FuzzInput input(data, size);
    int nScheme = input.byte();
    uint8_t flags = input.byte();
    int nSchemes = input.byte() % kSchemeCounts;
    ModuleConfigure module = placeMachine((flags & LICENCE_PLATE) != 0, nSchemes);
    const Records& factory = factorySet(controller, module, nSchemes);
    placeVersionFile(flags, input);
    for (int s = 0; s < kSchemeFiles; ++s) {
        if ((flags & FILES_FROM_RECIPES) != 0 && (flags & (2 << s)) != 0) {
            writeSandboxFile(schemeFile(s), fileFromRecipe(input.block(), factory));
        } else {
            placeFile(schemeFile(s), (flags & (2 << s)) != 0, input);
        }
    }

    fuzzCheck(controller.init(module), "init succeeds on any files");
    // The user schemes, the factory set after them, and one refused.
    controller.setParamScheme(nScheme % (nSchemes + 2));
    fuzzCheck(sameKeys(currentSet(controller, nSchemes), factory),
              "the current set holds the factory set's keys, in order");
    return 0;
}
