// A product's own branding of the intro box: logo.bmp (the 250 x 75,
// 16-colour logo) and credits.txt (six lines: the heading, three lines of
// developers and company, two of copyright), written by mkmedia into the
// SETUP.EXE of disk 1 and checked by inicheck.
#pragma once

#include <string>
#include <vector>

#include "tools/common/codepage.h"

// The credit statics are 167 dialog units wide: 334 pixels in the dialog's
// font, the System font (8 pixels a dialog base unit across).
const int kCreditPixels = 334;

struct Branding {
    std::string logo;     // the CompanyLogo resource; empty without logo.bmp
    std::string credits;  // the Credits resource; empty without credits.txt
};

// The paths of logo.bmp and credits.txt in dir (names in any case); empty
// for a file that is not there.
void FindBrandingFiles(const std::string& dir, std::string& logoPath, std::string& creditsPath);

// Reads the files named (an empty path: no such file). Each problem is a
// line "FILE:LINE: error: MESSAGE" (no LINE for the file as a whole);
// false when there is one.
bool ReadBranding(const std::string& logoPath, const std::string& creditsPath, const CodePage& page,
                  Branding& branding, std::vector<std::string>& problems);

// The CompanyLogo resource of a BMP file's bytes: its header and 16-colour
// palette as the resource compiler stores them, rows bottom up. False with
// a reason.
bool LogoResource(const std::string& bmp, std::string& resource, std::string& error);

// The width in pixels of a text of the code page in the intro's font.
int CreditWidth(const std::string& text, const CodePage& page);

// Writes the branding's resources over those of a SETUP.EXE image, which
// must hold both at their fixed sizes. False with a reason.
bool BrandSetup(std::string& image, const Branding& branding, std::string& error);
