// `sensorctl serve`: the settings console on the session's controller.
#ifndef TOOLS_SENSORCTL_SERVECOMMAND_H
#define TOOLS_SENSORCTL_SERVECOMMAND_H

class Session;

// Serves until SIGINT or SIGTERM; false when it could not listen or was built
// without the console. The caller runs uinit afterwards (Session::close).
bool runServe(Session& session);

#endif
