// A compliance check of a camera's data: what the tailored image-settings
// page and the factory set derived from it must satisfy for the module, the
// page and the parameter files to agree.
#ifndef TOOLS_SENSORCTL_COMPLIANCE_H
#define TOOLS_SENSORCTL_COMPLIANCE_H

#include <string>
#include <vector>

// One line per problem found in the tailored style text; none when it complies.
std::vector<std::string> checkTailoredStyle(const std::string& xml);

#endif
