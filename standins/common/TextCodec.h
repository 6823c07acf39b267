// UTF-8 is what travels on the pipes; the Windows interfaces speak UTF-16.
#pragma once
#include <string>

namespace simnb {

std::string Utf8FromWide(const wchar_t* text);
std::wstring WideFromUtf8(const std::string& text);

}  // namespace simnb
