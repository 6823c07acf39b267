// The simulated notebook as one process: the journal, the firmware, the GPU, and the control
// pipe on which notebookctl's commands arrive.
#pragma once
#include <string>

#include "../common/UniqueHandle.h"
#include "Journal.h"
#include "PipeServer.h"
#include "firmware/FirmwareDomain.h"
#include "gpu/GpuDomain.h"

namespace simnb {

class Notebook {
public:
    Notebook();
    ~Notebook();
    Notebook(const Notebook&) = delete;
    Notebook& operator=(const Notebook&) = delete;

    bool Start(std::string* error);
    // Returns when "quit" was received or, when given, the watched process has ended.
    void RunUntilQuit(HANDLE watchedProcess);
    void Stop();

    // What the commands act on.
    Journal journal;
    FirmwareDomain firmware{journal};
    GpuDomain gpu{journal};
    UniqueHandle quit;

private:
    void ServeControl(const PipeChannel& channel, HANDLE cancel);

    PipeServer m_control;
};

}  // namespace simnb
