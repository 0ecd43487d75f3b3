// The product directory mkmedia reads:
//
//   PRODUCT/install.ini   the install script template
//   PRODUCT/readme.txt    the readme (optional)
//   PRODUCT/SETUP.EXE     the setup program (or --setup FILE)
//   PRODUCT/ctl3d32.tmp   the 3-D controls library the setup installs (optional)
//   PRODUCT/logo.bmp      the intro's logo, 250 x 75, 16 colours (optional)
//   PRODUCT/credits.txt   the intro's six credit lines (optional)
//   PRODUCT/NAME/...      one folder per package, named as its key in
//                         [Packages]; every file below it is installed into
//                         the package's directory, keeping sub-folders
//
// File names match without regard to case. Names and texts are written in
// the product's code page.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/common/codepage.h"

struct ProductFile {
    std::string storedName;  // relative to the package folder, with backslashes; code page
    std::string path;        // as the host names it
    uint64_t size;
    uint64_t packed;  // length of its deflated stream in an archive
    uint32_t stamp;   // DOS date and time
};

struct ProductPackage {
    std::string name;                 // the key in [Packages]
    std::vector<std::string> fields;  // its value as the setup splits it
    std::vector<ProductFile> files;   // sorted by stored name
};

struct Product {
    std::string dir;
    std::string script, readme, setup, ctl3d;   // full paths; readme and ctl3d may be empty
    std::string logo, credits;                  // the branding's paths, or empty
    const CodePage* page = FindCodePage(1252);  // what names and texts are written in
    std::string setupImage;                     // SETUP.EXE with the branding, when it has some
    std::vector<ProductPackage> packages;
    std::vector<std::string> warnings;
};

// dir and name (a stored name may hold backslashes) joined into a host path
// as the host writes it: with backslashes on Windows, slashes elsewhere. The
// platform layer takes both; messages show what the user would type.
std::string HostJoin(const std::string& dir, const std::string& name);

// The size of a file in bytes, -1 when it cannot be opened.
long long FileSize(const std::string& path);

// Finds the template and the setup files of the product directory (setup,
// when not empty, names SETUP.EXE elsewhere). False with a reason.
bool LocateProduct(const std::string& dir, const std::string& setup, Product& product,
                   std::string& error);

// Reads the packages of the script szIniFile names, as the setup reads them,
// and the files of their folders. False with a reason.
bool ReadPackageFiles(Product& product, std::string& error);

// Reads logo.bmp and credits.txt and writes them into a copy of SETUP.EXE,
// product.setupImage (credits.txt missing: no credit lines). Without both,
// SETUP.EXE stays as it is and a warning says so. Each problem is a line
// "FILE:LINE: error: MESSAGE"; false when there is one.
bool BrandProduct(Product& product, std::vector<std::string>& problems);

// The length of the zlib stream the archive writer makes of a file.
bool PackedSize(const std::string& path, uint64_t& size, uint64_t& packed);
