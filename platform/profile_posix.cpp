// The profile (INI) functions of the Linux stand-in.
//
// They give the results of Windows' kernel32, measured against it under Wine
// by the shared table of profile vectors:
// - lines are trimmed of blanks; "[name]" starts a section (the name runs to
//   the last "]" of the line); "key = value" is trimmed around the "="; a line
//   without "=" is a key without a value; lines starting with ";" are comments;
// - lookups take the first section of a name and the first key of a name in
//   it, without regard to case; a key without a value reads as missing;
// - a value enclosed in matching quotes loses them;
// - a value is cut at size - 1; a key list that does not fit is cut, ends in
//   two NULs and reports size - 2 (also when it fits exactly, as kernel32 does);
// - a default loses its trailing blanks;
// - a relative file name is looked for in the Windows directory.
#include <sys/stat.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/strutil.h"

namespace {

struct Key {
    std::string name;
    std::string value;
    bool hasValue = false;
};

struct Section {
    std::string name;
    std::vector<Key> keys;
};

// Sections in file order; keys before the first header go into a nameless one.
struct Profile {
    std::vector<Section> sections;
};

bool IsBlank(char c) { return isspace(static_cast<unsigned char>(c)) || c == 0x1a; }

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

std::string FilePath(const char* file) {
    bool relative = !(file[0] && file[1] == ':') && file[0] != '\\' && file[0] != '/';
    if (!relative) return file;
    char dir[260];
    if (PfGetWindowsDir(dir, sizeof dir) >= sizeof dir) return file;
    return std::string(dir) + "\\" + file;
}

bool Load(const char* file, Profile& profile) {
    PfFile* fp = PfOpen(FilePath(file).c_str(), "rb");
    if (!fp) return false;
    std::string text;
    char chunk[4096];
    size_t n;
    while ((n = PfRead(fp, chunk, sizeof chunk)) > 0) text.append(chunk, n);
    PfClose(fp);

    profile.sections.assign(1, Section());
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        std::string line = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty()) continue;
        if (line[0] == '[') {
            size_t close = line.rfind(']');
            if (close != std::string::npos && close > 0) {
                profile.sections.push_back(Section{line.substr(1, close - 1), {}});
                continue;
            }
        }
        Key key;
        size_t eq = line.find('=');
        if (eq == std::string::npos) {
            key.name = line;
        } else {
            key.name = Trim(line.substr(0, eq));
            key.value = Trim(line.substr(eq + 1));
            key.hasValue = true;
        }
        profile.sections.back().keys.push_back(key);
    }
    return true;
}

// The last file read stays parsed while its size and modification time stay
// the same, as kernel32 keeps it: a script is read key by key.
struct CachedProfile {
    std::string host;
    struct stat st {};
    Profile profile;
    bool valid = false;
};

CachedProfile cache;

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_ino == b.st_ino && a.st_dev == b.st_dev && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// The parsed file, or null when it cannot be read.
const Profile* Cached(const char* file) {
    std::string host;
    struct stat st;
    if (!file || !PfHostPath(FilePath(file).c_str(), host) || stat(host.c_str(), &st) != 0)
        return nullptr;
    if (cache.valid && cache.host == host && SameFile(cache.st, st)) return &cache.profile;
    cache.valid = false;
    if (!Load(file, cache.profile)) return nullptr;
    cache.host = host;
    cache.st = st;
    cache.valid = true;
    return &cache.profile;
}

bool Save(const char* file, const Profile& profile) {
    std::string text;
    for (const Section& s : profile.sections) {
        if (&s != &profile.sections.front() || !s.name.empty()) {
            if (!text.empty()) text += "\r\n";
            text += "[" + s.name + "]\r\n";
        }
        for (const Key& k : s.keys)
            text += k.name + (k.hasValue ? "=" + k.value : std::string()) + "\r\n";
    }
    PfFile* fp = PfOpen(FilePath(file).c_str(), "wb");
    if (!fp) return false;
    bool ok = PfWrite(fp, text.data(), text.size()) == text.size();
    return PfClose(fp) == 0 && ok;
}

// The first section of a name (sections and keys, const or not).
template <class P> auto FindSection(P& profile, const char* name) -> decltype(&profile.sections[0]) {
    std::string want = Trim(name);
    for (size_t i = 1; i < profile.sections.size(); ++i)
        if (StrEqualNoCase(profile.sections[i].name.c_str(), want.c_str()))
            return &profile.sections[i];
    return nullptr;
}

template <class S> auto FindKey(S& section, const char* name) -> decltype(&section.keys[0]) {
    std::string want = Trim(name);
    for (auto& k : section.keys)
        if (StrEqualNoCase(k.name.c_str(), want.c_str())) return &k;
    return nullptr;
}

// Copies a value cut at size - 1. A value enclosed in matching quotes loses
// them; kernel32 drops the closing quote only when the buffer holds the text
// up to it, so a quoted value cut short keeps its opening quote off but loses
// no further character. An empty quoted value in a 1-byte buffer has no
// quote left to drop.
uint32_t CopyValue(char* buf, uint32_t size, const std::string& value) {
    const char* v = value.c_str();
    bool quoted = (v[0] == '"' || v[0] == '\'') && v[1] && value.back() == v[0];
    if (quoted) ++v;
    BufCopy(buf, size, v);
    size_t len = strlen(buf);
    if (quoted && size >= strlen(v) && len > 0) buf[--len] = '\0';
    return uint32_t(len);
}

// A list of names, each NUL-terminated, ending in a second NUL.
uint32_t CopyNames(char* buf, uint32_t size, const std::vector<const std::string*>& names) {
    if (size <= 2) return 0;  // no room for a name and the two NULs
    uint32_t left = size;
    char* p = buf;
    for (const std::string* name : names) {
        if (left <= 2) break;
        BufCopy(p, left - 1, name->c_str());
        size_t len = strlen(p);
        left -= uint32_t(len + 1);
        p += len + 1;
    }
    *p = '\0';
    if (left <= 1) {
        p[-1] = '\0';
        return size - 2;
    }
    return size - left;
}

uint32_t CopyKeyList(char* buf, uint32_t size, const Section& section) {
    std::vector<const std::string*> names;
    for (const Key& k : section.keys)
        if (!k.name.empty() && k.name[0] != ';' && k.hasValue) names.push_back(&k.name);
    return CopyNames(buf, size, names);
}

// The names of the sections in file order, repeats included; the keys
// before the first header have no section to name.
uint32_t CopySectionNames(char* buf, uint32_t size, const Profile& profile) {
    std::vector<const std::string*> names;
    for (const Section& s : profile.sections)
        if (!s.name.empty()) names.push_back(&s.name);
    return CopyNames(buf, size, names);
}

// The section's lines as GetPrivateProfileSectionW lays them out; the cuts
// follow CopyKeyList.
uint32_t CopySection(char* buf, uint32_t size, const Section& section) {
    uint32_t left = size;
    char* p = buf;
    for (const Key& k : section.keys) {
        if (left <= 2) break;
        if (!k.name.empty() && k.name[0] == ';') continue;
        BufCopy(p, left - 1, k.name.c_str());
        size_t len = strlen(p);
        left -= uint32_t(len + 1);
        p += len + 1;
        if (left < 2) break;
        if (!k.hasValue) continue;
        p[-1] = '=';
        BufCopy(p, left - 1, k.value.c_str());
        len = strlen(p);
        left -= uint32_t(len + 1);
        p += len + 1;
    }
    *p = '\0';
    if (left <= 1) {
        p[-1] = '\0';
        return size - 2;
    }
    return size - left;
}

}  // namespace

uint32_t PfGetProfileSection(const char* section, char* buf, uint32_t size, const char* file) {
    if (!buf || size == 0) return 0;
    buf[0] = '\0';
    if (size > 1) buf[1] = '\0';
    Profile profile;
    Section* s = section && file && Load(file, profile) ? FindSection(profile, section) : nullptr;
    if (!s || size < 2) return 0;
    return CopySection(buf, size, *s);
}

uint32_t PfGetProfileString(const char* section, const char* key, const char* def,
                            char* buf, uint32_t size, const char* file) {
    if (!buf || size == 0) return 0;
    std::string defText = def ? def : "";
    const Profile* profile = Cached(file);
    if (!section || !key) {
        buf[0] = '\0';
        if (size > 1) buf[1] = '\0';
    }
    if (!section) return profile ? CopySectionNames(buf, size, *profile) : 0;
    if (!key) {
        const Section* s = profile ? FindSection(*profile, section) : nullptr;
        uint32_t ret = s ? CopyKeyList(buf, size, *s) : 0;
        if (!buf[0]) ret = CopyValue(buf, size, defText);
        return ret;
    }
    while (!defText.empty() && defText.back() == ' ') defText.pop_back();
    const Section* s = profile ? FindSection(*profile, section) : nullptr;
    const Key* k = s ? FindKey(*s, key) : nullptr;
    return CopyValue(buf, size, k && k->hasValue ? k->value : defText);
}

unsigned PfGetProfileInt(const char* section, const char* key, int def, const char* file) {
    char buf[30];
    if (PfGetProfileString(section, key, "", buf, sizeof buf, file) == 0) return unsigned(def);
    // The conversion of RtlUnicodeStringToInteger with base 0.
    const char* p = buf;
    while (*p && static_cast<unsigned char>(*p) <= ' ') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    unsigned base = 10;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X' || p[1] == 'o' || p[1] == 'b')) {
        base = (p[1] == 'b') ? 2 : (p[1] == 'o') ? 8 : 16;
        p += 2;
    }
    unsigned value = 0;
    for (; *p; ++p) {
        unsigned digit;
        if (*p >= '0' && *p <= '9') digit = unsigned(*p - '0');
        else if (*p >= 'a' && *p <= 'z') digit = unsigned(*p - 'a' + 10);
        else if (*p >= 'A' && *p <= 'Z') digit = unsigned(*p - 'A' + 10);
        else break;
        if (digit >= base) break;
        value = value * base + digit;
    }
    return negative ? 0u - value : value;
}

int PfWriteProfileString(const char* section, const char* key, const char* value,
                         const char* file) {
    if (!section || !file) return 0;
    const Profile* cached = Cached(file);
    Profile profile = cached ? *cached : Profile{std::vector<Section>(1)};
    cache.valid = false;
    Section* s = FindSection(profile, section);
    if (!key) {
        if (s) profile.sections.erase(profile.sections.begin() + (s - profile.sections.data()));
        return Save(file, profile) ? 1 : 0;
    }
    if (!value) {
        if (s) {
            Key* k = FindKey(*s, key);
            if (k) s->keys.erase(s->keys.begin() + (k - s->keys.data()));
        }
        return Save(file, profile) ? 1 : 0;
    }
    if (!s) {
        profile.sections.push_back(Section{Trim(section), {}});
        s = &profile.sections.back();
    }
    Key* k = FindKey(*s, key);
    if (!k) {
        s->keys.push_back(Key{Trim(key), "", true});
        k = &s->keys.back();
    }
    const char* v = value;
    while (IsBlank(*v)) ++v;
    k->value = v;
    k->hasValue = true;
    return Save(file, profile) ? 1 : 0;
}

int PfWriteWinIni(const char* section, const char* key, const char* value) {
    return PfWriteProfileString(section, key, value, "WIN.INI");
}
