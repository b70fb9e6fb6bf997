// TessellographTestDriver.exe SCENARIO INSTALLER_EXE STANDIN_DIR
// Runs one scenario and prints every check; the exit code is 0 only when at
// least one check ran and none failed, 2 for a bad command line.
#include "driver_support.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

static void ListScenarios() {
    printf("scenarios:");
    for (const std::string& name : ScenarioNames()) printf(" %s", name.c_str());
    printf("\n");
}

int main(int argc, char** argv) {
    // Plain "\n" line ends for the Linux side that reads this output.
    _setmode(_fileno(stdout), _O_BINARY);
    setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc != 4) {
        printf("usage: TessellographTestDriver SCENARIO INSTALLER_EXE STANDIN_DIR\n");
        ListScenarios();
        return 2;
    }
    ScenarioFunction run = FindScenario(argv[1]);
    if (run == nullptr) {
        printf("unknown scenario: %s\n", argv[1]);
        ListScenarios();
        return 2;
    }
    SetDriverArguments(argv[2], argv[3]);
    printf("scenario %s in a %s prefix\n", argv[1], Is64BitPrefix() ? "64-bit" : "32-bit");
    run();
    EndLeftoverProcesses();
    // A scenario that checked nothing has not shown anything.
    if (PassedCount() + FailedCount() == 0) Check(false, "the scenario made at least one check");
    printf("%d passed, %d failed\n", PassedCount(), FailedCount());
    return FailedCount() == 0 ? 0 : 1;
}
