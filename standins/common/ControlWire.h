// The control pipe's messages. A request is the command's words, each followed by a zero
// byte, so any word (blanks, quotes, nothing at all) passes unchanged. The answer is text:
// "OK" and a line feed, then the output; or "ERR " and a one-line reason.
#pragma once
#include <string>
#include <vector>

namespace simnb {

constexpr size_t kMaxControlRequestBytes = 64 * 1024;
constexpr size_t kMaxControlAnswerBytes = 64 * 1024 * 1024;

inline std::string EncodeControlRequest(const std::vector<std::string>& words) {
    std::string message;
    for (const std::string& word : words) {
        message += word;
        message += '\0';
    }
    return message;
}

// The pieces of text between separators; a separator at the end starts no empty piece.
inline std::vector<std::string> SplitAt(const std::string& text, char separator) {
    std::vector<std::string> pieces;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(separator, start);
        if (end == std::string::npos) end = text.size();
        pieces.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return pieces;
}

inline std::vector<std::string> DecodeControlRequest(const std::string& message) { return SplitAt(message, '\0'); }

}  // namespace simnb
