// The notebook's discrete GPU as the vendor libraries see it: NVIDIA displays and GPUs with
// their clock state, ATI adapter 0 with its over-drive clocks, the scripted faults, and the
// GPU pipe on which the nvapi and ADL stand-ins ask about every call they get.
#pragma once
#include <string>

#include "../../common/SimSync.h"
#include "../Commands.h"
#include "../Journal.h"
#include "../PipeServer.h"
#include "AdlModel.h"
#include "GpuFaults.h"
#include "GpuRequest.h"
#include "NvidiaModel.h"

namespace simnb {

class GpuDomain {
public:
    explicit GpuDomain(Journal& journal);

    // Opens the GPU pipe; false when it cannot serve.
    bool Start();
    // Closes the pipe and waits until every connection is gone.
    void Stop();
    // Back to the state of a freshly started service: defaults, no faults, holds released.
    void Reset();
    // The clock states, for the status command.
    std::string Status() const;

    // GpuCommands.cpp: what notebookctl can do to the GPU.
    CommandReply GpuSetCommand(const Args& args);
    CommandReply NvFaultCommand(const Args& args);
    CommandReply AdlFaultCommand(const Args& args);
    CommandReply AdlSetCommand(const Args& args);
    std::string FullStatus() const;

private:
    void ServeConnection(const PipeChannel& channel, HANDLE cancel);
    std::string Answer(const std::string& line);

    // NvRequests.cpp: what the nvapi stand-in asks. Each returns the answer's words.
    std::string ServeNv(const GpuRequest& request);
    std::string NvQuery(const GpuRequest& request);
    std::string NvInitialize();
    std::string NvEnumDisplay(const GpuRequest& request);
    std::string NvEnumGpus(const GpuRequest& request, bool physical);
    std::string NvPrivate(const GpuRequest& request);

    // AdlRequests.cpp: what the ADL stand-in asks.
    std::string ServeAdl(const GpuRequest& request);
    std::string AdlCreate(const GpuRequest& request);
    std::string AdlInfoGet(const GpuRequest& request);
    std::string AdlConfigSet(const GpuRequest& request);
    std::string AdlOther(const GpuRequest& request);

    std::string LoadEntry(const std::string& source, const GpuRequest& request);

    Journal& m_journal;
    mutable Lock m_lock;  // the models and faults; requests arrive on several threads
    NvidiaModel m_nv;
    AdlModel m_adl;
    GpuFaults m_nvFaults;
    GpuFaults m_adlFaults;
    PipeServer m_pipe;
};

}  // namespace simnb
