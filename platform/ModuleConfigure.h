// One module's entry of the firmware's module configuration, and its parser.
#ifndef PLATFORM_MODULECONFIGURE_H
#define PLATFORM_MODULECONFIGURE_H

#include <string>
#include <vector>

class ModuleConfigure {
  public:
    ModuleConfigure() : m_nModuleId(0) {}

    int getModuleId() const { return m_nModuleId; }
    const std::string& getParameters() const { return m_strParameters; }
    const std::string& getDetail() const { return m_strDetail; }
    void setModuleId(int id) { m_nModuleId = id; }
    void setParameters(const std::string& text) { m_strParameters = text; }
    void setDetail(const std::string& text) { m_strDetail = text; }

  private:
    int m_nModuleId;
    std::string m_strParameters;
    std::string m_strDetail;
};

// "/hd1/moduleConfig/moduleConfig.xml": any root element holding Module
// elements with the attributes id, hardware_model, hardware_code, parameters
// and detail.
class ModuleConfigureParser {
  public:
    // Appends, in document order, the modules whose hardware_model and
    // hardware_code are absent, empty or equal to the machine's. False when
    // the file cannot be read or parsed.
    static bool parse(const std::string& path, const std::string& hardwareModel,
                      const std::string& hardwareCode, std::vector<ModuleConfigure>& list);
};

#endif
