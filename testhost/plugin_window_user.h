// Plays the user in front of a plug-in command that opens windows: once they
// have been up a while, takes a picture of each and closes them the way a
// user would (the "&Close" button where there is one, else the caption's
// close request), so an unattended run of the host ends.
#pragma once

#include "plugin/win32.h"

#include <set>
#include <string>
#include <vector>

class PluginWindowUser {
public:
    // `pictureDir` empty: no pictures. Starts watching at once.
    PluginWindowUser(HWND hostWindow, DWORD afterMilliseconds, std::string pictureDir);
    ~PluginWindowUser();
    PluginWindowUser(const PluginWindowUser&) = delete;
    PluginWindowUser& operator=(const PluginWindowUser&) = delete;

    // "picture of <caption> in <file>" and "closed <caption>", in order.
    const std::vector<std::string>& transcript() const { return transcript_; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR timer, DWORD);
    void Act();
    void ActOnWindows();

    HWND hostWindow_;
    std::string pictureDir_;
    UINT_PTR timer_;
    bool acting_ = false;
    std::set<std::string> pictured_;
    std::vector<std::string> transcript_;
};
