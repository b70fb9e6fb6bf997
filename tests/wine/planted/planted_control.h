// Exit codes of TessellographPlantedControl.exe, shared with the driver.
// Whether the planted DLL was loaded is told by its own report, not here:
// user32 unloads a uxtheme.dll that lacks its exports.
#pragma once

enum PlantedControlResult {
    ControlWindowMade = 0,
    ControlNoWindow = 13,
    ControlNotRestricted = 14,  // SetDefaultDllDirectories missing or refused
};
