#include "platform/host/CameraModule.h"

#include <vector>

#include "platform/MachineInfo.h"

ModuleConfigure platform::cameraModuleConfigure(int camera) {
    MachineInfo machine;
    SystemInfoParser::parseMachineInfo("/mnt/mtd/code/factory_setting/machineinfo.ini", machine);
    std::vector<ModuleConfigure> modules;
    ModuleConfigureParser::parse("/hd1/moduleConfig/moduleConfig.xml", machine.getHardwareModel(),
                                 machine.getHardwareCode(), modules);
    for (const ModuleConfigure& module : modules) {
        if (module.getModuleId() == camera) {
            return module;
        }
    }
    return modules.empty() ? ModuleConfigure() : modules.front();
}
