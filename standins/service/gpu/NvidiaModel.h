// The simulated NVIDIA GPUs: how many displays and GPUs the driver reports, and the clock
// state of each physical GPU.
//
// The private entry points are known only by the arguments the program passes, so the
// simulation gives them a rule of its own: a GPU becomes overclocked when, in this order
// and each succeeding, B23B70EE(gpu,1), FDFC7D49(gpu,1,0) and FA579A0F(gpu,0) reach it;
// it returns to default clocks after B23B70EE(gpu,0) then FA579A0F(gpu,1). Any other or
// failed call on that GPU breaks a sequence under way and leaves the clocks as they were.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace simnb {

enum class NvClocks { Default, Overclocked };

class NvidiaModel {
public:
    static constexpr uint32_t kMaxGpus = 64;

    NvidiaModel() { Reset(); }
    void Reset();

    uint32_t Displays() const { return m_displays; }
    uint32_t PhysicalGpus() const { return static_cast<uint32_t>(m_gpus.size()); }
    uint32_t LogicalGpus() const { return m_logical; }
    void SetDisplays(uint32_t count) { m_displays = count; }
    void SetPhysicalGpus(uint32_t count);
    void SetLogicalGpus(uint32_t count) { m_logical = count; }

    // The index of the physical GPU a handle names, if it names one.
    std::optional<size_t> GpuOfHandle(uint64_t handle) const;
    // One private call that reached the GPU; step is e.g. "B23B70EE:1" or "FDFC7D49:1:0".
    void PrivateCall(size_t gpu, const std::string& step, bool succeeded);
    NvClocks Clocks(size_t gpu) const { return m_gpus.at(gpu).clocks; }

private:
    enum class Step { None, Apply1, Apply2, Revert1 };
    struct Gpu {
        NvClocks clocks = NvClocks::Default;
        Step step = Step::None;
    };

    uint32_t m_displays = 1;
    uint32_t m_logical = 1;
    std::vector<Gpu> m_gpus;
};

const char* NvClocksName(NvClocks clocks);

}  // namespace simnb
