#include "PipeServer.h"

namespace simnb {
namespace {

constexpr DWORD kPipeBufferBytes = 64 * 1024;
constexpr DWORD kCreateRetryMs = 100;

}  // namespace

PipeServer::PipeServer(std::wstring name, Handler handler)
    : m_name(std::move(name)), m_handler(std::move(handler)), m_stop(MakeManualEvent()) {}

PipeServer::~PipeServer() { Stop(); }

bool PipeServer::Start() {
    if (Running()) return true;
    if (!m_stop.Valid()) return false;
    // The first instance is made here, so that Start fails visibly when the name is taken.
    UniqueHandle first = CreateInstance();
    if (!first.Valid()) return false;
    ResetEvent(m_stop.Get());
    auto pending = std::make_shared<UniqueHandle>(std::move(first));
    return m_acceptor.Start([this, pending] {
        UniqueHandle pipe = std::move(*pending);
        for (;;) {
            if (!pipe.Valid()) pipe = CreateInstance();
            if (!pipe.Valid()) {
                if (WaitForSingleObject(m_stop.Get(), kCreateRetryMs) != WAIT_TIMEOUT) return;
                continue;
            }
            if (!WaitForClient(pipe.Get())) {
                if (WaitForSingleObject(m_stop.Get(), 0) == WAIT_OBJECT_0) return;
                pipe.Reset();
                continue;
            }
            // The next instance exists before this connection can end, so that a client never
            // finds the name gone between two connections.
            UniqueHandle next = CreateInstance();
            Serve(std::move(pipe));
            pipe = std::move(next);
        }
    });
}

void PipeServer::Stop() {
    if (!Running()) return;
    SetEvent(m_stop.Get());
    m_acceptor.Join();
    std::list<std::unique_ptr<Connection>> connections;
    {
        LockGuard guard(m_lock);
        connections.swap(m_connections);
    }
    for (auto& connection : connections) SetEvent(connection->cancel.Get());
    for (auto& connection : connections) connection->thread.Join();
}

UniqueHandle PipeServer::CreateInstance() const {
    return UniqueHandle(CreateNamedPipeW(m_name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                         PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                                         PIPE_UNLIMITED_INSTANCES, kPipeBufferBytes, kPipeBufferBytes, 0,
                                         nullptr));
}

bool PipeServer::WaitForClient(HANDLE pipe) {
    UniqueHandle connected = MakeManualEvent();
    if (!connected.Valid()) return false;
    OVERLAPPED overlapped = {};
    overlapped.hEvent = connected.Get();
    if (ConnectNamedPipe(pipe, &overlapped)) return true;
    DWORD error = GetLastError();
    if (error == ERROR_PIPE_CONNECTED) return true;
    if (error != ERROR_IO_PENDING) return false;
    HANDLE waits[2] = {connected.Get(), m_stop.Get()};
    DWORD wait = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    if (wait != WAIT_OBJECT_0) CancelIoEx(pipe, &overlapped);
    DWORD unused = 0;
    BOOL done = GetOverlappedResult(pipe, &overlapped, &unused, TRUE);
    return wait == WAIT_OBJECT_0 && done;
}

void PipeServer::Serve(UniqueHandle pipe) {
    auto connection = std::make_unique<Connection>();
    connection->cancel = MakeManualEvent();
    if (!connection->cancel.Valid()) return;
    Connection* raw = connection.get();
    auto channel = std::make_shared<PipeChannel>(std::move(pipe));
    bool started = raw->thread.Start([this, raw, channel] {
        m_handler(*channel, raw->cancel.Get());
        raw->finished.store(true);
    });
    if (!started) return;  // the channel closes the pipe, so the client sees the end
    LockGuard guard(m_lock);
    // The connections that ended go here (their threads joined), so that they do not pile up.
    m_connections.remove_if([](const std::unique_ptr<Connection>& c) { return c->finished.load(); });
    m_connections.push_back(std::move(connection));
}

}  // namespace simnb
