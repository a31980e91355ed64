// The console's page: one HTML document with its script and style, built
// into the tool from console/page.html.
#ifndef TOOLS_SENSORCTL_CONSOLE_CONSOLEPAGE_H
#define TOOLS_SENSORCTL_CONSOLE_CONSOLEPAGE_H

extern const char kConsolePage[];

#endif
