#include "FirmwareRequest.h"

#include <vector>

#include "../ValueText.h"
#include "FirmwareVariables.h"

namespace simnb {
namespace {

std::vector<std::string> SplitFields(const std::string& text) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t colon = text.find(':', start);
        fields.push_back(text.substr(start, colon == std::string::npos ? std::string::npos : colon - start));
        if (colon == std::string::npos) return fields;
        start = colon + 1;
    }
}

bool EqualsNoCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i] != 0; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return i == a.size() && b[i] == 0;
}

FirmwareRequest Invalid(const char* why) {
    FirmwareRequest request;
    request.why = why;
    return request;
}

}  // namespace

FirmwareRequest ParseFirmwareRequest(const std::string& text) {
    std::vector<std::string> fields = SplitFields(text);
    if (fields.size() < 5) return Invalid("malformed");
    // Namespaces are case-insensitive in WMI; everything else is taken as written.
    if (!EqualsNoCase(fields[0], "root\\WMI")) return Invalid("unknown-namespace");
    bool write = fields[1] == "S";
    if (!write && fields[1] != "Q") return Invalid("unknown-operation");
    if (fields.size() != (write ? 6u : 5u)) return Invalid("malformed");
    std::string key = fields[3] + ":" + fields[4];
    if (!IsVariableKey(key)) return Invalid("malformed");
    if (fields[2] != "ORV_" + fields[3]) return Invalid("unknown-class");
    FirmwareRequest request;
    request.write = write;
    request.key = key;
    if (write && !ParseStrictDecimal(fields[5], &request.value)) return Invalid("bad-value");
    request.valid = true;
    return request;
}

}  // namespace simnb
