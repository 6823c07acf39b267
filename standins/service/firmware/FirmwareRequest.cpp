#include "FirmwareRequest.h"

#include <cstring>
#include <vector>

#include "../ValueText.h"

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

FirmwareRequest Invalid(const char* why) { return {false, why, false, std::string(), 0}; }

}  // namespace

bool IsVariableKey(const std::string& key) {
    static const char kDigits[] = "0123456789";
    static const char kNameChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_0123456789";
    const size_t colon = key.find(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 >= key.size()) return false;
    const std::string group = key.substr(0, colon);
    const std::string index = key.substr(colon + 1);
    if (group.find_first_not_of(kNameChars) != std::string::npos || (group[0] >= '0' && group[0] <= '9')) return false;
    return index.size() <= 9 && (index[0] != '0' || index.size() == 1) &&
           index.find_first_not_of(kDigits) == std::string::npos;
}

FirmwareRequest ParseFirmwareRequest(const std::string& text) {
    std::vector<std::string> fields = SplitFields(text);
    if (fields.size() < 5) return Invalid("malformed");
    // Namespaces are case-insensitive in WMI; everything else is taken as written.
    if (_stricmp(fields[0].c_str(), "root\\WMI") != 0) return Invalid("unknown-namespace");
    bool write = fields[1] == "S";
    if (!write && fields[1] != "Q") return Invalid("unknown-operation");
    if (fields.size() != (write ? 6u : 5u)) return Invalid("malformed");
    std::string key = fields[3] + ":" + fields[4];
    if (!IsVariableKey(key)) return Invalid("malformed");
    if (fields[2] != "ORV_" + fields[3]) return Invalid("unknown-class");
    FirmwareRequest request = {true, std::string(), write, key, 0};
    if (write && !ParseStrictDecimal(fields[5], &request.value)) return Invalid("bad-value");
    return request;
}

}  // namespace simnb
