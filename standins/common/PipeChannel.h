// Whole messages over one end of a message-mode pipe opened for overlapped I/O. Every wait
// is bounded by a timeout and can be cut short by a cancel event, so neither side hangs
// when the other vanishes mid-message. One reader and one writer may work at the same time.
#pragma once
#include <string>

#include "UniqueHandle.h"

namespace simnb {

enum class PipeIo { Ok, Closed, TimedOut, Cancelled, TooLarge, Failed };

class PipeChannel {
public:
    explicit PipeChannel(UniqueHandle pipe) : m_pipe(std::move(pipe)) {}

    bool Valid() const { return m_pipe.Valid(); }

    PipeIo Write(const void* data, size_t size, DWORD timeoutMs, HANDLE cancel = nullptr) const;
    PipeIo Write(const std::string& message, DWORD timeoutMs, HANDLE cancel = nullptr) const {
        return Write(message.data(), message.size(), timeoutMs, cancel);
    }
    // Reads one whole message; a message longer than maxSize is reported as TooLarge.
    PipeIo Read(std::string& message, size_t maxSize, DWORD timeoutMs, HANDLE cancel = nullptr) const;

private:
    PipeIo Finish(OVERLAPPED& overlapped, DWORD timeoutMs, HANDLE cancel, DWORD* transferred) const;

    UniqueHandle m_pipe;
};

// Opens the client end of a pipe in message read mode. A busy pipe is waited for at most
// busyWaitMs; a missing pipe fails at once.
UniqueHandle ConnectToPipe(const wchar_t* name, DWORD busyWaitMs);

}  // namespace simnb
