// A fake of the door to Windows: a small machine with folders, files and
// keys, and a user who presses what the test says. It records what a run
// leaves, not which calls it made, and can make any call fail. Where Windows
// is stricter than Wine, it answers as Windows does: CREATE_ALWAYS empties a
// file at once, a running program's file refuses to be opened for writing or
// replaced, a single very large write fails, and a write through
// HKEY_CLASSES_ROOT lands in the user's own classes where the key is there.
#pragma once
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/platform.h"

struct FakeValue {
    unsigned type, byteCount;
    std::string text;
};

struct FakeRule {  // see Fail
    std::string function, subject;
    PlatformError error;
};

struct FakeBox {  // its caption and owner are read under Wine
    std::string text;
    unsigned style;
};

struct FakeWorld {
    // The machine and its user, before the run.
    std::string programFiles = "C:\\Program Files";  // "" when the shell cannot say
    std::string programs = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";
    std::string startup = programs + "\\StartUp";
    ItemPath programFilesAnswer = ItemPathFound, programsAnswer = ItemPathFound;
    bool japanese = false;  // the ANSI code page is 932, with double-byte characters
    bool wow64 = false, desktopShell = true, shellRefuses = false, otherCopy = false;
    WindowRect workArea = {0, 0, 1024, 768}, window = {82, 33, 388, 157};  // the dialog as laid out
    std::set<std::string> folders;
    std::map<std::string, std::string> files;  // path -> bytes
    std::map<std::string, int> inUse;  // path -> opens for writing it still refuses (-1: all)
    std::set<std::string> userClasses;  // keys under HKCU\Software\Classes
    int scanTries = 0;  // a scanner holds each new file for that many tries to move it
    unsigned shortWriteBy = 0;                            // bytes every write leaves out
    std::deque<std::pair<unsigned, MessageParameter>> dialog;  // messages once it is open
    std::deque<std::pair<ItemPath, std::string>> browse;  // each Browse's pick
    std::deque<int> answers;                              // to each box with buttons; then No, or Cancel
    std::string reason;                                   // the system's text for every error, if set
    // What the run left.
    std::vector<std::string> events;  // "folder P", "file P N" (in place), "link P", "value K"... in order
    unsigned slept = 0;  // milliseconds
    std::map<std::string, int> moveTries;  // per file moved into place
    std::map<std::string, FakeValue> values;  // "HKLM\\path"
    std::map<std::string, std::string> links;  // shortcut -> target
    std::vector<FakeBox> boxes;
    std::vector<bool> browsersOwned;  // by the dialog, so that the dialog waits for each
    std::vector<std::string> launches;
    std::string dialogText, dialogIcon;
    std::pair<int, int> placed;  // where the dialog was moved
    int openKeys = 0, maxOpenKeys = 0, openFiles = 0, liveObjects = 0, liveLists = 0, com = 0;
    // The fake's own bookkeeping.
    std::vector<FakeRule> rules;
    std::map<PlatformHandle, std::string> named;  // what each handle stands for
    std::map<PlatformHandle, ItemPath> browsed;   // the shell's answer for each item list
};

extern FakeWorld Fake;

void ResetFake();  // a new machine and a new installer state
// The next call of `function` whose subject (a path, a key) contains
// `subject` fails with `error`; each rule fails one call.
void Fail(const std::string& function, PlatformError error, const std::string& subject = "");
// The characters of a text in the fake's code page, and whether the shell can
// give that text.
std::vector<std::string> Characters(const std::string& text);
bool Spellable(const std::string& text);
void Press(unsigned id, unsigned notification = 0);  // a WM_COMMAND to the dialog
size_t EventIndex(const std::string& prefix);  // the first event starting so, or npos
