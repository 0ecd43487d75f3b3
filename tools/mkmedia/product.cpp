#include "tools/mkmedia/product.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "app/globals.h"
#include "app/script.h"
#include "platform/namelist.h"
#include "platform/platform.h"
#include "platform/strutil.h"
#include "resources/resource.h"
#include "tools/common/arcwriter.h"
#include "tools/common/branding.h"
#include "tools/common/scripttext.h"
#include "tools/mkmedia/diskplan.h"

std::string HostJoin(const std::string& dir, const std::string& name) {
#ifdef _WIN32
    return dir + "\\" + name;
#else
    std::string path = dir + "/" + name;
    std::replace(path.begin() + long(dir.size()), path.end(), '\\', '/');
    return path;
#endif
}

long long FileSize(const std::string& path) {
    PfFile* fp = PfOpen(path.c_str(), "rb");
    if (!fp) return -1;
    long long size = PfSeek(fp, 0, PF_SEEK_END) == 0 ? PfTell(fp) : -1;
    PfClose(fp);
    return size;
}

namespace {

// The archive writer's chunk: the same chunks give the same stream.
const size_t CHUNK = 65536;

bool IsFile(const std::string& path) {
    return PfAccess(path.c_str(), 0) == 0 && !PfIsDirectory(path.c_str());
}

// The entry of names that is name: the same text first, else the same
// text aside from case; -1 when there is none.
int FindName(const std::vector<std::string>& names, const std::string& name) {
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] == name) return int(i);
    for (size_t i = 0; i < names.size(); ++i)
        if (StrEqualNoCase(names[i].c_str(), name.c_str())) return int(i);
    return -1;
}

// Adds every file below root, with its stored name in the product's code page.
bool CollectFiles(const std::string& root, const CodePage& page, std::vector<ProductFile>& files,
                  std::string& error) {
    std::vector<std::string> names;
    if (!ArcListFiles(root, "", names, error)) return false;
    for (const std::string& n : names) {
        std::string stored, problem;
        if (!HostNameToCodePage(n, page, stored, problem)) {
            error = HostJoin(root, n) + ": " + problem;
            return false;
        }
        files.push_back(ProductFile{stored, HostJoin(root, n), 0, 0, 0});
    }
    return true;
}

// Sizes, date and checks of one file; false with a reason.
bool MeasureFile(ProductFile& f, std::vector<std::string>& warnings, std::string& error) {
    if (const char* problem = StoredNameProblem(f.storedName.c_str())) {
        error = f.path + ": " + problem;
        return false;
    }
    if (!PfGetFileTime(f.path.c_str(), &f.stamp)) {
        error = f.path + ": its date lies outside 1980 to 2107";
        return false;
    }
    if (!PackedSize(f.path, f.size, f.packed) || f.size > 0xffffffffu) {
        error = f.path + ": cannot be read whole (4 GB or more?)";
        return false;
    }
    for (size_t start = 0; start <= f.storedName.size();) {
        size_t end = std::min(f.storedName.find('\\', start), f.storedName.size());
        if (!IsShortName(f.storedName.substr(start, end - start), true)) {
            warnings.push_back(f.path + ": no 8.3 name; Windows 3.1 cannot create it");
            break;
        }
        start = end + 1;
    }
    return true;
}

bool ReadPackage(Product& product, const std::vector<std::string>& folders, std::vector<bool>& used,
                 const char* name, std::string& error) {
    ProductPackage pkg;
    pkg.name = name;
    char value[SCRIPT_VALUE_SIZE];
    PfGetProfileString("Packages", name, "", value, sizeof value, szIniFile);
    char* fields[6];
    int n = SplitCommaList(value, fields, 6);
    pkg.fields.assign(fields, fields + n);
    std::vector<std::string> named(folders.size());
    for (size_t i = 0; i < folders.size(); ++i) {
        std::string problem;
        if (!HostNameToCodePage(folders[i], *product.page, named[i], problem)) named[i].clear();
    }
    int k = FindName(named, name);
    if (k < 0) {
        error = "the package " + pkg.name + " has no folder " + HostJoin(product.dir, pkg.name);
        return false;
    }
    used[size_t(k)] = true;
    std::string root = HostJoin(product.dir, folders[size_t(k)]);
    if (!CollectFiles(root, *product.page, pkg.files, error)) return false;
    std::sort(pkg.files.begin(), pkg.files.end(), [](const ProductFile& a, const ProductFile& b) {
        return a.storedName < b.storedName;
    });
    if (pkg.files.empty()) {
        error = root + ": the package's folder holds no file";
        return false;
    }
    for (ProductFile& f : pkg.files)
        if (!MeasureFile(f, product.warnings, error)) return false;
    product.packages.push_back(pkg);
    return true;
}

}  // namespace

bool PackedSize(const std::string& path, uint64_t& size, uint64_t& packed) {
    PfFile* fp = PfOpen(path.c_str(), "rb");
    if (!fp) return false;
    z_stream zs;
    memset(&zs, 0, sizeof zs);
    if (deflateInit(&zs, 9) != Z_OK) {
        PfClose(fp);
        return false;
    }
    std::vector<unsigned char> in(CHUNK), out(CHUNK);
    size = packed = 0;
    int flush;
    do {
        size_t n = PfRead(fp, in.data(), CHUNK);
        size += n;
        flush = n < CHUNK ? Z_FINISH : Z_NO_FLUSH;
        zs.next_in = in.data();
        zs.avail_in = uInt(n);
        do {
            zs.next_out = out.data();
            zs.avail_out = uInt(CHUNK);
            deflate(&zs, flush);
            packed += CHUNK - zs.avail_out;
        } while (zs.avail_out == 0);
    } while (flush != Z_FINISH);
    deflateEnd(&zs);
    bool ok = !PfError(fp);
    PfClose(fp);
    return ok;
}

bool LocateProduct(const std::string& dir, const std::string& setup, Product& product,
                   std::string& error) {
    const CodePage* page = product.page;
    product = Product{};
    product.dir = dir;
    product.page = page;
    std::vector<std::string> names;
    if (!PfIsDirectory(dir.c_str()) || !PfFindFiles(HostJoin(dir, "*").c_str(), names)) {
        error = dir + ": no such directory";
        return false;
    }
    for (const std::string& name : names) {
        const std::string path = HostJoin(dir, name);
        std::string* role = StrEqualNoCase(name.c_str(), "install.ini")   ? &product.script
                            : StrEqualNoCase(name.c_str(), "readme.txt")  ? &product.readme
                            : StrEqualNoCase(name.c_str(), "setup.exe")   ? &product.setup
                            : StrEqualNoCase(name.c_str(), "ctl3d32.tmp") ? &product.ctl3d
                            : StrEqualNoCase(name.c_str(), "logo.bmp")    ? &product.logo
                            : StrEqualNoCase(name.c_str(), "credits.txt") ? &product.credits
                                                                          : nullptr;
        if (role && role->empty())
            *role = path;
        else
            product.warnings.push_back(path +
                                       ": not part of the product layout; left off the disks");
    }
    if (!setup.empty()) {
        if (!IsFile(setup)) {
            error = setup + ": no such file";
            return false;
        }
        product.setup = setup;
    }
    if (product.script.empty())
        error = dir + " has no install.ini";
    else if (product.setup.empty())
        error = dir + " has no SETUP.EXE (or give --setup FILE)";
    return error.empty();
}

bool ReadPackageFiles(Product& product, std::string& error) {
    std::vector<std::string> folders;
    if (!PfFindDirs(HostJoin(product.dir, "*").c_str(), folders)) {
        error = product.dir + ": cannot list the folder";
        return false;
    }
    std::vector<bool> used(folders.size());
    char list[SCRIPT_KEYS_SIZE];
    uint32_t len = ReadKeyList("Packages", list, sizeof list);
    uint32_t offset = 0;
    while (const char* name = NextKey(list, len, offset))
        if (!ReadPackage(product, folders, used, name, error)) return false;
    for (size_t i = 0; i < folders.size(); ++i) {
        if (used[i]) continue;
        error = HostJoin(product.dir, folders[i]) + ": no package in [Packages] has this name";
        return false;
    }
    return true;
}

bool BrandProduct(Product& product, std::vector<std::string>& problems) {
    if (product.logo.empty() && product.credits.empty()) {
        product.warnings.push_back(product.dir +
                                   " has no logo.bmp or credits.txt: the intro shows the logo "
                                   "and credit lines SETUP.EXE is built with (neutral, no "
                                   "maker's name)");
        return true;
    }
    Branding branding;
    if (!ReadBranding(product.logo, product.credits, *product.page, branding, problems))
        return false;
    if (product.logo.empty())
        product.warnings.push_back(product.dir +
                                   " has no logo.bmp: the intro shows the neutral logo SETUP.EXE "
                                   "is built with");
    if (product.credits.empty()) branding.credits.assign(CREDITS_LINES * CREDITS_LINE_SIZE, '\0');
    std::string error;
    if (!ReadWholeFile(product.setup, product.setupImage) ||
        !BrandSetup(product.setupImage, branding, error)) {
        problems.push_back(product.setup + ": error: " +
                           (error.empty() ? "cannot be read"
                                          : error + "; mkmedia cannot give it the "
                                                    "product's logo and credits"));
        product.setupImage.clear();
        return false;
    }
    return true;
}
