// The steps of a script that plays the user in front of the plug-in's
// windows (testhost --script FILE), one step per line:
//
//   # a comment; blank lines are skipped
//   mailboxes LABEL            print every mailbox with its message count
//   wait-window CAPTION [S]    wait up to S seconds (default 30) for a window
//                              of the host's thread; it becomes the current one
//   tick mailboxes|archives ITEM     tick the item in that tree (caption
//   untick mailboxes|archives ITEM   without its count, first match)
//   check CAPTION / uncheck CAPTION  set a check box or radio button
//   choose CAPTION ENTRY       pick ENTRY in the list after the check box
//   type CAPTION TEXT          put TEXT into the field after the check box
//   date CAPTION M/D/YYYY      set the date picker after the label
//   press CAPTION              click the button
//   wait-task [S]              wait up to S seconds (default 300) for the
//                              running task to end
//   open-archive ITEM          Enter on the item of the archive tree
//   select-row N               select row N (from 1) of the current window's list
//   open-row                   Enter on the selected row of the current window's list
//   selected-row               tell what the selected row of that list shows
//   picture NAME               save a picture of the current window as NAME.bmp
//   picture-screen NAME        save a picture of the whole screen as NAME.bmp
//   wait-other CAPTION [S]     wait up to S seconds (default 30) for a window
//                              of another program (the help viewer, say)
//   close-other CAPTION        close that window and wait until it has gone
//   menu ITEM                  open the current window's list menu as the menu
//                              key does and choose ITEM from it
//   find TEXT                  type TEXT into the window's find field and wait
//                              until the search has read every message
//   wait-caption TEXT [S]      wait up to S seconds (default 300) until the
//                              current window's caption holds TEXT
//   save-as PATH               answer the platform's "Save As" dialog with
//                              PATH (a relative one is in the mail folder)
//   close-window               close the current window; the one current
//                              before it becomes current again
//   sleep MS                   keep the windows served for MS milliseconds
//   empty-trash                pick "Empty Trash" from the host's Special menu
//
// Arguments are words, or text in double quotes ("" for a quote inside).
// Captions are compared without their "&" and without regard to case.
#pragma once

#include <string>
#include <vector>

struct ScriptStep {
    int line = 0;
    std::string verb;
    std::vector<std::string> arguments;
};

// Throws std::invalid_argument naming the line when a step is unknown or
// has the wrong number of arguments.
std::vector<ScriptStep> ParseHostScript(const std::string& text);
