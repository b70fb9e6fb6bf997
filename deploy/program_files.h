// The install folder and the three files written into it.
#pragma once
#include "base/text.h"
#include "deploy/payload.h"

bool CreateInstallFolder();  // an existing folder is fine

// How long, and how often, a file another program holds is tried again:
// an indexer, a scanner or a sync client holds one for a moment.
enum { QuietWait = 2000, RetryInterval = 200 };  // milliseconds

// Writes path (a name with a three-letter extension) straight from the image,
// in pieces, under the same name with the extension "tmp"; that file replaces
// one at path only once it is complete and on the disk.
bool WriteFileFromImage(const char* path, Payload payload);
// Whether another program holds the file, as a running program holds its own.
bool FileInUse(const char* path);

// "Brick.tpf", "Tessellograph3D.exe" and "Tessellograph.exe".
bool WriteSampleDocument();
bool WriteEngineProgram();
bool WriteMainProgram();
