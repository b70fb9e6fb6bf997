// The program identifiers of the two installed programs.
#pragma once

bool RegisterEngineProgramId();  // "Quorrelin.Tessellograph3D"
bool RegisterMainProgramId();    // "Quorrelin.Tessellograph"
