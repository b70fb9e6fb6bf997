// Stand-in for Tessellograph3D: only a window of its own class and title.
#include "standin_window.h"

extern "C" void WinMainCRTStartup() {
    ExitProcess(RunStandInWindow("Tessellograph3DStandIn", "Tessellograph3D", nullptr));
}
