// The precondition of every operation on files: the machine shows drives.
#pragma once

// True when GetLogicalDriveStringsW lists the drives. Otherwise (the platform
// has no usable drive table) logs the cause and posts the system error code,
// and the caller does no work.
bool DrivesPresent();
