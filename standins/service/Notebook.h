// The simulated notebook as one process: the journal, the firmware and the GPU, on which
// notebookctl's commands act, and the signal that ends the service.
#pragma once
#include "../common/UniqueHandle.h"
#include "Journal.h"
#include "firmware/FirmwareDomain.h"
#include "gpu/GpuDomain.h"

namespace simnb {

struct Notebook {
    Journal journal;
    FirmwareDomain firmware{journal};
    GpuDomain gpu{journal};
    UniqueHandle quit = MakeManualEvent();
};

}  // namespace simnb
