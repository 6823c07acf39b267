#include "Notebook.h"

#include "../common/ControlWire.h"
#include "../common/PipeNames.h"
#include "Commands.h"

namespace simnb {
namespace {

constexpr DWORD kControlWriteTimeoutMs = 10000;

std::string EncodeAnswer(const CommandReply& reply) {
    if (reply.ok) return "OK\n" + reply.text;
    std::string reason = reply.text;
    for (char& c : reason) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    return "ERR " + reason;
}

}  // namespace

Notebook::Notebook()
    : quit(MakeManualEvent()),
      m_control(kControlPipeName, [this](const PipeChannel& channel, HANDLE cancel) { ServeControl(channel, cancel); }) {}

Notebook::~Notebook() { Stop(); }

bool Notebook::Start(std::string* error) {
    if (!quit.Valid()) {
        *error = "cannot create an event";
        return false;
    }
    if (!firmware.Start() || !gpu.Start()) {
        *error = "a domain could not open its pipe";
        return false;
    }
    if (!m_control.Start()) {
        *error = "cannot create the control pipe";
        return false;
    }
    journal.Add("ctl", "started pid=" + std::to_string(GetCurrentProcessId()));
    return true;
}

void Notebook::RunUntilQuit(HANDLE watchedProcess) {
    HANDLE waits[2] = {quit.Get(), watchedProcess};
    WaitForMultipleObjects(watchedProcess != nullptr ? 2 : 1, waits, FALSE, INFINITE);
}

void Notebook::Stop() {
    m_control.Stop();
    firmware.Stop();
    gpu.Stop();
}

void Notebook::ServeControl(const PipeChannel& channel, HANDLE cancel) {
    std::string request;
    for (;;) {
        PipeIo got = channel.Read(request, kMaxControlRequestBytes, INFINITE, cancel);
        if (got == PipeIo::TooLarge) {
            if (channel.Write(EncodeAnswer(Fail("request too large")), kControlWriteTimeoutMs, cancel) != PipeIo::Ok) return;
            continue;
        }
        if (got != PipeIo::Ok) return;
        CommandReply reply = RunCommand(*this, DecodeControlRequest(request));
        if (channel.Write(EncodeAnswer(reply), kControlWriteTimeoutMs, cancel) != PipeIo::Ok) return;
    }
}

}  // namespace simnb
