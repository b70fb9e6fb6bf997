// The ordered stages of an install. Every stage runs; each notes its own
// failures for the outcome message.
#pragma once

struct InstallStage {
    int number;  // its place in the order; 7 is the second turn of stage 6
    bool (*run)();
};

enum { InstallStageCount = 10 };
extern const InstallStage InstallSequence[InstallStageCount];

// The paths of the three files, from the install folder as the dialog left it;
// false when one would not fit, which the dialog's folder check rules out.
bool FormInstallPaths();
// Runs every stage. Returns the number of stages that failed.
unsigned RunInstallSequence();
