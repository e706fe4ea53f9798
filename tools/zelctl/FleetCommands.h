// zelctl fleet: many rooms at once, one worker process (zelctl fleet-room) per room.
#pragma once

#include "Options.h"

namespace zel::ctl {

// fleet status|push ROOMS: starts the workers, collects their results and prints the table
// or the JSON array. Returns the exit status.
int runFleet(const ZelctlOptions& options);

// fleet-room status|push --port NAME [FILE]: one room, its result as one JSON object on
// stdout. Returns 0 when the room succeeded, else the status of the failure.
int runFleetRoom(const ZelctlOptions& options);

} // namespace zel::ctl
