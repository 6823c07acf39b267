// The server side of one named pipe: an accepting thread, and a thread per connection that
// runs the handler. Stop() closes the listening instance, cancels every connection's waits
// and joins every thread, so after it returns the pipe name no longer exists.
#pragma once
#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <string>

#include "../common/PipeChannel.h"
#include "../common/SimSync.h"
#include "../common/UniqueHandle.h"

namespace simnb {

class PipeServer {
public:
    // Runs on the connection's own thread; cancel is set when the server stops. The
    // connection is closed when the handler returns.
    using Handler = std::function<void(const PipeChannel& channel, HANDLE cancel)>;

    PipeServer(std::wstring name, Handler handler);
    ~PipeServer();
    PipeServer(const PipeServer&) = delete;
    PipeServer& operator=(const PipeServer&) = delete;

    bool Start();
    void Stop();
    bool Running() const { return m_acceptor.Joinable(); }

private:
    struct Connection {
        UniqueHandle cancel;
        Thread thread;
        std::atomic<bool> finished{false};
    };

    UniqueHandle CreateInstance() const;
    bool WaitForClient(HANDLE pipe);
    void Serve(UniqueHandle pipe);

    std::wstring m_name;
    Handler m_handler;
    UniqueHandle m_stop;
    Thread m_acceptor;
    Lock m_lock;  // m_connections
    std::list<std::unique_ptr<Connection>> m_connections;
};

}  // namespace simnb
