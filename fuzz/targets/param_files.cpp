// Arbitrary bytes as the parameter files and the version file of camera 1,
// then init and a scheme switch, with the number of schemes from the input
// and the box camera optionally turned licence-plate camera. The controller
// is constructed once; each input releases it and initialises it again.
#include <stdio.h>

#include "fuzz/FuzzEntries.h"
#include "fuzz/FuzzSupport.h"
#include "platform/ia_sim.h"

namespace {

const char kVersionFile[] = "/mnt/mtd/code/config_file/snsversion.cfg";
const char kMachineInfoFile[] = "/mnt/mtd/code/factory_setting/machineinfo.ini";
const int kSchemeFiles = 4;
const int kSchemeCounts = 18;       // 0 to 17: past the 16 the module allows
const uint32_t kModuleVersion = 8;  // what the module writes and expects

enum : uint8_t {
    VERSION_PRESENT = 0x01,  // bits 1-4: sensor0-3.cfg present
    VERSION_FROM_INPUT = 0x20,
    LICENCE_PLATE = 0x40,
};

std::string schemeFile(int scheme) {
    return "/mnt/mtd/code/config_file/sensor" + std::to_string(scheme) + ".cfg";
}

void placeFile(const std::string& cameraPath, bool present, FuzzInput& input) {
    if (present) {
        writeSandboxFile(cameraPath, input.block());
    } else {
        removeSandboxFile(cameraPath);
    }
}

// Most inputs keep the module's own version, so that the parameter files are
// read rather than deleted as outdated.
void placeVersionFile(uint8_t flags, FuzzInput& input) {
    if ((flags & VERSION_FROM_INPUT) != 0) {
        placeFile(kVersionFile, (flags & VERSION_PRESENT) != 0, input);
    } else if ((flags & VERSION_PRESENT) != 0) {
        writeSandboxFile(kVersionFile, std::string(reinterpret_cast<const char*>(&kModuleVersion),
                                                   sizeof(kModuleVersion)));
    } else {
        removeSandboxFile(kVersionFile);
    }
}

// The sample box camera, or the same machine as a licence-plate camera
// (device type 8, no infrared field in the detail text).
ModuleConfigure placeMachine(bool licencePlate, int schemes) {
    std::string machine = sampleDataFile("cameras/box" + std::string(kMachineInfoFile));
    std::string::size_type type = machine.find("DeviceType=1\n");
    fuzzCheck(type != std::string::npos, "the sample machine is a box camera");
    if (licencePlate) {
        machine.replace(type, 13, "DeviceType=8\n");
    }
    writeSandboxFile(kMachineInfoFile, machine);

    char detail[128];
    snprintf(detail, sizeof(detail), "(max_scheme=%d)%s(lensType=1)(lightType=0)(sensor=imx385)",
             schemes, licencePlate ? "" : "(isInfrared=1)");
    ModuleConfigure module = sampleModuleConfigure();
    module.setDetail(detail);
    return module;
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
    placeVersionFile(flags, input);
    for (int s = 0; s < kSchemeFiles; ++s) {
        placeFile(schemeFile(s), (flags & (2 << s)) != 0, input);
    }

    fuzzCheck(controller.init(module), "init succeeds on any files");
    // The user schemes, the factory set after them, and one refused.
    controller.setParamScheme(nScheme % (nSchemes + 2));
    std::string parameters;
    controller.getAllParameters(parameters);
    return 0;
}
