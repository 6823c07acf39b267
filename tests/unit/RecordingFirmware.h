// A firmware channel for unit tests: records every request exactly as the program hands
// it over and answers from a script, so tests can check bytes, sizes and call order.
#pragma once
#include "FirmwareChannel.h"
#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <vector>

struct RecordedRequest {
    std::string text;           // up to the first zero byte
    std::vector<char> bytes;    // all requestSize bytes
    int requestSize = 0;
    int replySize = 0;
    bool replyWasZeroed = false;
};

struct ScriptedReply {
    int result;                 // what ORV_CallNamePipe returns
    std::string reply;          // bytes copied into the reply buffer
    bool terminate = true;      // append a zero byte after reply
};

class RecordingFirmware {
public:
    RecordingFirmware() { s_pCurrent = this; m_previous = firmware::SetFirmwareChannel(&Call); }
    ~RecordingFirmware() { firmware::SetFirmwareChannel(m_previous); s_pCurrent = nullptr; }

    // Replies are used in order; once they run out every request succeeds with "0".
    void Script(std::initializer_list<ScriptedReply> replies) { m_script.insert(m_script.end(), replies); }
    void Reply(int result, const std::string& text) { m_script.push_back({result, text, true}); }

    std::vector<RecordedRequest> requests;
    // Called with each request's text as it arrives, to merge it into a wider call log.
    std::function<void(const std::string&)> onRequest;

    std::vector<std::string> Texts() const {
        std::vector<std::string> t;
        for (const auto& r : requests) t.push_back(r.text);
        return t;
    }

private:
    static int __cdecl Call(char* request, int requestSize, char* reply, int replySize) {
        return s_pCurrent->Handle(request, requestSize, reply, replySize);
    }

    int Handle(char* request, int requestSize, char* reply, int replySize) {
        RecordedRequest r;
        r.bytes.assign(request, request + requestSize);
        r.text = std::string(request, strnlen(request, static_cast<size_t>(requestSize)));
        r.requestSize = requestSize;
        r.replySize = replySize;
        r.replyWasZeroed = true;
        for (int i = 0; i < replySize; ++i)
            if (reply[i] != 0) r.replyWasZeroed = false;
        requests.push_back(r);
        if (onRequest) onRequest(r.text);

        ScriptedReply s{1, "0", true};
        if (!m_script.empty()) {
            s = m_script.front();
            m_script.pop_front();
        }
        size_t n = std::min(s.reply.size(), static_cast<size_t>(replySize));
        std::memcpy(reply, s.reply.data(), n);
        if (s.terminate && n < static_cast<size_t>(replySize))
            reply[n] = 0;
        return s.result;
    }

    static inline RecordingFirmware* s_pCurrent = nullptr;
    firmware::PFN_CALL_NAME_PIPE m_previous;
    std::deque<ScriptedReply> m_script;
};
