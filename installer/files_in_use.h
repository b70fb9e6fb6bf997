// Before anything is written: no other copy of the installer runs, and no
// program holds a file the install replaces.
#pragma once

// Claims the installer's mutex; false, after saying so, when another copy runs.
bool OnlyCopyRunning();
// Waits quietly for about two seconds for files in use, then asks the user to
// close the program that holds them. False when the user cancels.
bool InstallFilesFree();
