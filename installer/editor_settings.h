// The editor's per-user settings, which every install starts afresh.
#pragma once

// Deletes "Data" and "Sweep" of the user who owns the desktop (the one the
// editor is started as), or of this process's user where there is no desktop
// shell. The key itself is never created.
void ResetEditorSettings();
