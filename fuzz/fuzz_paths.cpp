// Path-code expansion, path joining, comma lists and numbers on arbitrary text.
// Input: one byte for the output size, then the text, a NUL and the base (no
// NUL: no base).
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/globals.h"
#include "app/paths.h"
#include "app/script.h"
#include "fuzz/fuzzenv.h"
#include "platform/platform.h"

namespace {

void Check(bool ok) {
    if (!ok) abort();
}

std::string Dir(unsigned (*query)(char*, unsigned)) {
    char buf[260];
    query(buf, sizeof buf);
    return buf;
}

// The expansion written plainly, without bounds.
std::string Reference(const std::string& text, const char* base) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 1 == text.size()) break;
        switch (text[i + 1]) {
        case 'W': case 'w': out += Dir(PfGetWindowsDir); break;
        case 'S': case 's': out += Dir(PfGetSystemDir); break;
        case 'F': case 'f': out += szWinFontDir; break;
        case 'I': case 'i': if (base) out += base; break;
        default: continue;
        }
        ++i;
    }
    return out;
}

void CheckExpand(const std::string& text, const char* base, size_t size) {
    std::vector<char> out(size);
    bool cut = false;
    int state = ExpandPaths(out.data(), text.c_str(), base, size, &cut);
    Check(state >= esBase && state <= esSystem);
    size_t len = strnlen(out.data(), size);
    Check(len < size);
    std::string ref = Reference(text, base);
    Check(cut == (ref.size() >= size));
    Check(std::string(out.data()) == (cut ? "" : ref));
}

void CheckSplit(const std::string& text) {
    std::vector<char> copy(text.begin(), text.end());
    copy.push_back('\0');
    char* fields[64];
    int n = SplitCommaList(copy.data(), fields, 64);
    std::string joined, expected;
    for (int i = 0; i < n; ++i) {
        Check(fields[i][0] != '\0' && !strchr(fields[i], ','));
        joined += fields[i];
    }
    for (char c : text)
        if (c != ',') expected += c;
    if (n < 64) Check(joined == expected);
}

void CheckNumber(const std::string& text) {
    long long ref = strtoll(text.c_str(), nullptr, 10);
    if (ref > INT32_MAX) ref = INT32_MAX;
    if (ref < INT32_MIN) ref = INT32_MIN;
    Check(ScriptNumber(text.c_str()) == int32_t(ref));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    FuzzDir();
    size_t outSize = 1 + data[0] % 300;
    std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    size_t nul = rest.find('\0');
    std::string text = rest.substr(0, nul);
    std::string base = nul == std::string::npos ? std::string() : rest.substr(nul + 1);
    base = base.substr(0, base.find('\0'));
    const char* basePtr = nul == std::string::npos ? nullptr : base.c_str();

    CheckExpand(text, basePtr, outSize);
    CheckSplit(text);
    CheckNumber(text);

    std::vector<char> joined(outSize);
    MakeFullPath(joined.data(), outSize, text.c_str(), base.c_str());
    Check(strnlen(joined.data(), outSize) < outSize);
    return 0;
}
