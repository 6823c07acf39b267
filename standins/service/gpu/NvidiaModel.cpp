#include "NvidiaModel.h"

#include "../../gpu/GpuWire.h"

namespace simnb {

void NvidiaModel::Reset() {
    m_displays = 1;
    m_logical = 1;
    m_gpus.assign(1, Gpu());
}

void NvidiaModel::SetPhysicalGpus(uint32_t count) { m_gpus.resize(count); }

std::optional<size_t> NvidiaModel::GpuOfHandle(uint64_t handle) const {
    if (handle < kNvPhysicalGpuHandleBase) return std::nullopt;
    uint64_t index = handle - kNvPhysicalGpuHandleBase;
    if (index >= m_gpus.size()) return std::nullopt;
    return static_cast<size_t>(index);
}

void NvidiaModel::PrivateCall(size_t gpu, const std::string& step, bool succeeded) {
    Gpu& g = m_gpus.at(gpu);
    Step next = Step::None;
    if (!succeeded) {
        next = Step::None;
    } else if (step == "B23B70EE:1") {
        next = Step::Apply1;
    } else if (step == "FDFC7D49:1:0" && g.step == Step::Apply1) {
        next = Step::Apply2;
    } else if (step == "FA579A0F:0" && g.step == Step::Apply2) {
        g.clocks = NvClocks::Overclocked;
    } else if (step == "B23B70EE:0") {
        next = Step::Revert1;
    } else if (step == "FA579A0F:1" && g.step == Step::Revert1) {
        g.clocks = NvClocks::Default;
    }
    g.step = next;
}

const char* NvClocksName(NvClocks clocks) { return clocks == NvClocks::Overclocked ? "overclocked" : "default"; }

}  // namespace simnb
