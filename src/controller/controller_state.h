// The controller layer keeps no process-wide state of its own; resetting it
// resets the layers below.
#pragma once

void ResetControllerState();
