// A recording stand-in for the platform layer: every call is logged as a
// line of text, chosen calls fail, and the dialog and message boxes follow
// a script.
#pragma once
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "installer/platform.h"

struct BrowseChoice {
    bool cancelled;
    ItemPath kind;
    std::string path;
};

struct FailureRule {
    std::string callPrefix;  // fails every call whose log line starts with this
    PlatformError error;
    bool once;
};

struct FakeWorld {
    std::vector<std::string> calls;
    std::vector<FailureRule> failures;
    std::string programFiles = "C:\\Program Files";
    std::string commonPrograms = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";
    bool programFilesKnown = true;
    bool settingsKeyExists = true;
    bool wow64 = false;
    std::vector<std::string> existingFolders;
    std::vector<std::string> existingFiles;  // files where a folder may be asked for
    unsigned shortWriteBy = 0;  // bytes missing from every WriteFile
    WindowRect workArea{0, 0, 1024, 768};
    WindowRect dialogRect{82, 33, 82 + 306, 33 + 124};
    // The user's part: dialog commands after WM_INITDIALOG, browser choices,
    // message-box answers.
    std::deque<std::function<void(PlatformHandle dialog)>> dialogScript;
    std::deque<BrowseChoice> browseChoices;
    int outcomeAnswer = 7;  // IDNO
    // What the platform saw, beyond the log.
    int dialogResult = -1;
    std::string dialogText;
    std::vector<std::string> messageBoxes;
    std::map<std::string, std::vector<unsigned char>> files;
    int openKeys = 0, maxOpenKeys = 0;
    int liveObjects = 0;
};

extern FakeWorld Fake;

// A fresh world and a fresh installer state.
void ResetFake();

// Script steps for the dialog.
void PressOk();
void PressCancel();
void PressBrowse();
void SendCloseCommand();
void SendCommand(unsigned id, unsigned notification);

// The log lines that start with prefix, in order.
std::vector<std::string> CallsStartingWith(const std::string& prefix);
std::string JoinedCalls();
