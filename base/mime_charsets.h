// The platform's own list of MIME charsets (MLang), asked for the code page
// of a charset a mail header names.
#pragma once

#include "base/win32.h"

#include <memory>
#include <string>

class MimeCharsets {
public:
    MimeCharsets();
    ~MimeCharsets();
    MimeCharsets(const MimeCharsets&) = delete;
    MimeCharsets& operator=(const MimeCharsets&) = delete;

    // The charset's own code page (its internet encoding), 0 when the platform
    // does not know the name. COM and the list are set up at the first
    // question and kept for the object's life.
    UINT InternetCodePage(const std::string& charset);

private:
    class Platform;
    std::unique_ptr<Platform> platform_;
};
