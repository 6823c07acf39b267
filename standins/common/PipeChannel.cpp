#include "PipeChannel.h"

namespace simnb {
namespace {

constexpr DWORD kReadChunk = 4096;

PipeIo FromError(DWORD error) {
    switch (error) {
    case ERROR_BROKEN_PIPE:
    case ERROR_PIPE_NOT_CONNECTED:
    case ERROR_NO_DATA:
        return PipeIo::Closed;
    default:
        return PipeIo::Failed;
    }
}

}  // namespace

PipeIo PipeChannel::Finish(OVERLAPPED& overlapped, DWORD timeoutMs, HANDLE cancel, DWORD* transferred) const {
    HANDLE waits[2] = {overlapped.hEvent, cancel};
    DWORD count = cancel != nullptr ? 2 : 1;
    DWORD wait = WaitForMultipleObjects(count, waits, FALSE, timeoutMs);
    PipeIo outcome = PipeIo::Ok;
    if (wait == WAIT_OBJECT_0 + 1) {
        outcome = PipeIo::Cancelled;
    } else if (wait != WAIT_OBJECT_0) {
        outcome = PipeIo::TimedOut;
    }
    if (outcome != PipeIo::Ok) {
        // The buffer and OVERLAPPED live on our stack: the I/O must be over before we return.
        CancelIoEx(m_pipe.Get(), &overlapped);
    }
    if (!GetOverlappedResult(m_pipe.Get(), &overlapped, transferred, TRUE)) {
        DWORD error = GetLastError();
        if (error == ERROR_MORE_DATA && outcome == PipeIo::Ok) return PipeIo::TooLarge;  // caller reads on
        if (outcome == PipeIo::Ok) return FromError(error);
    }
    return outcome;
}

PipeIo PipeChannel::Write(const void* data, size_t size, DWORD timeoutMs, HANDLE cancel) const {
    if (!m_pipe.Valid() || size > 0x7FFFFFFF) return PipeIo::Failed;
    UniqueHandle done = MakeManualEvent();
    if (!done.Valid()) return PipeIo::Failed;
    OVERLAPPED overlapped = {};
    overlapped.hEvent = done.Get();
    if (!WriteFile(m_pipe.Get(), data, static_cast<DWORD>(size), nullptr, &overlapped)) {
        DWORD error = GetLastError();
        if (error != ERROR_IO_PENDING) return FromError(error);
    }
    DWORD written = 0;
    PipeIo outcome = Finish(overlapped, timeoutMs, cancel, &written);
    if (outcome == PipeIo::Ok && written != size) return PipeIo::Failed;
    return outcome;
}

PipeIo PipeChannel::Read(std::string& message, size_t maxSize, DWORD timeoutMs, HANDLE cancel) const {
    message.clear();
    if (!m_pipe.Valid()) return PipeIo::Failed;
    UniqueHandle done = MakeManualEvent();
    if (!done.Valid()) return PipeIo::Failed;
    char chunk[kReadChunk];
    bool tooLarge = false;
    for (;;) {
        OVERLAPPED overlapped = {};
        overlapped.hEvent = done.Get();
        ResetEvent(done.Get());
        bool more = false;
        if (!ReadFile(m_pipe.Get(), chunk, kReadChunk, nullptr, &overlapped)) {
            DWORD error = GetLastError();
            if (error == ERROR_MORE_DATA) {
                more = true;
            } else if (error != ERROR_IO_PENDING) {
                return FromError(error);
            }
        }
        DWORD got = 0;
        PipeIo outcome = Finish(overlapped, timeoutMs, cancel, &got);
        if (outcome == PipeIo::TooLarge) {
            more = true;
        } else if (outcome != PipeIo::Ok) {
            return outcome;
        }
        // An oversized message is still read to its end, so the next read starts on a message.
        if (!tooLarge && message.size() + got <= maxSize) {
            message.append(chunk, got);
        } else {
            tooLarge = true;
            message.clear();
        }
        if (!more) break;
    }
    return tooLarge ? PipeIo::TooLarge : PipeIo::Ok;
}

UniqueHandle ConnectToPipe(const wchar_t* name, DWORD busyWaitMs) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        UniqueHandle pipe(CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OVERLAPPED, nullptr));
        if (pipe.Valid()) {
            DWORD mode = PIPE_READMODE_MESSAGE;
            return SetNamedPipeHandleState(pipe.Get(), &mode, nullptr, nullptr) ? std::move(pipe) : UniqueHandle();
        }
        if (GetLastError() != ERROR_PIPE_BUSY || attempt > 0 || busyWaitMs == 0) break;
        if (!WaitNamedPipeW(name, busyWaitMs)) break;
    }
    return UniqueHandle();
}

}  // namespace simnb
