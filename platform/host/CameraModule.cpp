#include "platform/host/CameraModule.h"

#include <vector>

#include "platform/CameraPaths.h"
#include "platform/MachineInfo.h"

ModuleConfigure platform::cameraModuleConfigure(int camera) {
    MachineInfo machine;
    SystemInfoParser::parseMachineInfo(kMachineInfoFile, machine);
    std::vector<ModuleConfigure> modules;
    ModuleConfigureParser::parse(kModuleConfigFile, machine.getHardwareModel(),
                                 machine.getHardwareCode(), modules);
    for (const ModuleConfigure& module : modules) {
        if (module.getModuleId() == camera) {
            return module;
        }
    }
    return modules.empty() ? ModuleConfigure() : modules.front();
}
