// The machine's identity, from "/mnt/mtd/code/factory_setting/machineinfo.ini".
#ifndef PLATFORM_MACHINEINFO_H
#define PLATFORM_MACHINEINFO_H

#include <string>

class MachineInfo {
  public:
    MachineInfo() : m_nDeviceType(0) {}

    int getDeviceType() const { return m_nDeviceType; }
    const std::string& getHardwareModel() const { return m_strHardwareModel; }
    const std::string& getHardwareCode() const { return m_strHardwareCode; }
    void setDeviceType(int type) { m_nDeviceType = type; }
    void setHardwareModel(const std::string& model) { m_strHardwareModel = model; }
    void setHardwareCode(const std::string& code) { m_strHardwareCode = code; }

  private:
    int m_nDeviceType;
    std::string m_strHardwareModel;
    std::string m_strHardwareCode;
};

class SystemInfoParser {
  public:
    // Text lines "name=value" (DeviceType, HardwareModel, HardwareCode); blank
    // lines and lines starting with '#' or '[' are skipped. False when the file
    // is missing; the info then keeps device type 0.
    static bool parseMachineInfo(const std::string& path, MachineInfo& info);
};

// The kinds of machine the firmware runs on.
class DeviceType {
  public:
    enum {
        IPCAMERA = 1,
        IPDOME = 4,
        LPR = 8,
        IPP = 9,
        FISHEYE = 11,
        THERMAL_DOUBLE_SENSOR_DEVICE = 13,
        HUMAN_TEMPERATURE = 14,
        FACE_DETECT = 15,
        VEHICLE_DETECT = 16,
        THERMAL_DEVICE = 17,
        AIMULTI_OBJECT_DETECT = 18,
        THERMAL_DOUBLE_SENSOR_DOME_DEVICE = 19,
        DOMECORE = 20,
        DOMECORE_THERMAL_DEVICE = 104,
    };

    DeviceType() : m_nTypeId(0) {}
    void setDeviceTypeId(int id) { m_nTypeId = id; }
    int getDeviceTypeId() const { return m_nTypeId; }

  private:
    int m_nTypeId;
};

#endif
