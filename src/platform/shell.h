#pragma once

#include <QString>

// What leaves the program for the desktop: web pages and folders opened in other programs.
class Shell
{
public:
    virtual ~Shell() = default;
    // Opens a web address in the user's browser; the outcome is not waited for.
    virtual void openUrl(const QString& url) = 0;
    // Opens a folder in the desktop's file manager. False when nothing could: no opener, or one
    // that said at once it has no program for folders. A program that takes it is not waited
    // for.
    virtual bool openFolder(const QString& folder) = 0;
};
