// UTF-8 is what travels on the pipes; the Windows interfaces speak UTF-16.
#pragma once
#include <windows.h>

#include <string>

namespace simnb {

inline std::string Utf8FromWide(const wchar_t* text) {
    if (text == nullptr || *text == 0) return std::string();
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1) return std::string();
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], bytes, nullptr, nullptr);
    out.resize(static_cast<size_t>(bytes - 1));
    return out;
}

}  // namespace simnb
