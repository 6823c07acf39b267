// The notebook's discrete GPU as the vendor libraries see it: NVIDIA displays and GPUs with
// their clock state, ATI adapter 0 with its over-drive clocks, the scripted faults, and the
// GPU pipe on which the nvapi and ADL stand-ins ask about every call they get.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "../../common/SimSync.h"
#include "../Commands.h"
#include "../Journal.h"
#include "../PipeServer.h"
#include "GpuFaults.h"

namespace simnb {

// A request's words ("nv NvPrivate_B23B70EE 0x10000100 1"): the vendor, the call, then its
// arguments as numbers (decimal or 0x-hex).
using GpuWords = std::vector<std::string>;
// False when word i is missing or not wholly a number.
bool WordNumber(const GpuWords& words, size_t i, int64_t* value);

// The ADL clock fields of one domain (memory or engine), in the order ADL lays them out.
constexpr const char* kAdlClockFields[] = {"default", "current", "max", "min", "requested", "applied"};
enum AdlClockField { kAdlDefault, kAdlCurrent, kAdlMax, kAdlMin, kAdlRequested, kAdlApplied };
using AdlClocks = std::array<int32_t, 6>;

class GpuDomain {
public:
    explicit GpuDomain(Journal& journal);

    // Opens the GPU pipe; false when it cannot serve. The pipe closes, every connection gone,
    // when the domain ends.
    bool Start() { return m_pipe.Start(); }
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
    // The state of the private entry points' clock rule on one GPU (NvRequests.cpp).
    enum class NvStep { None, Apply1, Apply2, Revert1 };
    struct NvGpu {
        bool overclocked = false;
        NvStep step = NvStep::None;
    };

    void ServeConnection(const PipeChannel& channel, HANDLE cancel);
    std::string Answer(const std::string& line);
    // A stand-in's start-up: which process loaded it, and from where.
    std::string Load(const std::string& vendor, const GpuWords& request);

    // NvRequests.cpp: what the nvapi stand-in asks. Each call gets its name and its numbers,
    // and returns the answer's words.
    std::string NvQuery(const GpuWords& request);
    std::string NvInitialize(const std::string& name, const int64_t* args);
    std::string NvEnumDisplay(const std::string& name, const int64_t* args);
    std::string NvEnumGpus(const std::string& name, const int64_t* args);
    std::string NvPrivate(const std::string& name, const int64_t* args);
    void NvPrivateStep(NvGpu& gpu, const std::string& step, bool succeeded);
    const char* NvClocks(size_t gpu) const;

    // AdlRequests.cpp: what the ADL stand-in asks.
    std::string AdlCreate(const std::string& name, const int64_t* args);
    std::string AdlInfoGet(const std::string& name, const int64_t* args);
    std::string AdlConfigSet(const std::string& name, const int64_t* args);
    std::string AdlOther(const GpuWords& request);
    std::string AdlClockState() const;

    Journal& m_journal;
    mutable Lock m_lock;  // everything below; requests arrive on several threads

    // The NVIDIA driver: the displays and GPUs it reports, the clocks of each physical GPU.
    uint32_t m_nvDisplays = 1;
    uint32_t m_nvLogicalGpus = 1;
    std::vector<NvGpu> m_nvGpus;
    GpuFaults m_nvFaults;

    // ATI adapter 0: its over-drive clock information and the clocks last set (memory, engine).
    int32_t m_adlFlags = 0;
    AdlClocks m_adlMemory = {};
    AdlClocks m_adlEngine = {};
    std::optional<std::array<int32_t, 2>> m_adlLastSet;
    GpuFaults m_adlFaults;

    PipeServer m_pipe;
};

// A number of the simulated driver as the journal shows it ("0x10000100").
std::string Hex32(uint64_t value);

}  // namespace simnb
