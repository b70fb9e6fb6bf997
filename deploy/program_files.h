// The install folder and the three files written into it.
#pragma once
#include "deploy/payload.h"

bool CreateInstallFolder();                       // an existing folder is fine
bool WritePayloadFile(PayloadId id, const char* path);  // one write, straight from the image

// "Brick.tpf", "Tessellograph3D.exe" and "Tessellograph.exe".
bool WriteSampleDocument();
bool WriteEngineProgram();
bool WriteMainProgram();
