#include "BridgeImage.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

#include "BridgeExportNames.h"

namespace bridgecheck {

BridgeRequirements ThisFlavoursBridge() {
#if defined(_WIN64)
    constexpr uint16_t machine = IMAGE_FILE_MACHINE_AMD64;
#else
    constexpr uint16_t machine = IMAGE_FILE_MACHINE_I386;
#endif
    return {machine, kBridgeExportNames, sizeof kBridgeExportNames / sizeof kBridgeExportNames[0]};
}

namespace {

// The file's bytes, reached only through bounds checks made in 64 bits, so that no offset
// or size the file claims can wrap around.
class ImageBytes {
public:
    ImageBytes(const unsigned char* data, size_t size) : m_data(data), m_size(size) {}

    template <class T>
    bool Read(uint64_t offset, T* value) const {
        if (offset > m_size || m_size - offset < sizeof(T)) return false;
        std::memcpy(value, m_data + offset, sizeof(T));
        return true;
    }

    // The NUL-terminated text at offset; it must end before limit.
    std::optional<std::string_view> Text(uint64_t offset, uint64_t limit) const {
        limit = std::min<uint64_t>(limit, m_size);
        if (offset >= limit) return std::nullopt;
        const char* begin = reinterpret_cast<const char*>(m_data + offset);
        const void* end = std::memchr(begin, '\0', static_cast<size_t>(limit - offset));
        if (end == nullptr) return std::nullopt;
        return std::string_view(begin, static_cast<size_t>(static_cast<const char*>(end) - begin));
    }

private:
    const unsigned char* m_data;
    size_t m_size;
};

// Where the image's sections lie in the file: an address the loaded image would have (an
// RVA) is found in the section that holds it.
class SectionMap {
public:
    struct Place {
        uint64_t offset;      // of the address in the file
        uint64_t sectionEnd;  // in the file, of the section's data that holds it
    };

    bool Read(const ImageBytes& image, uint64_t offset, unsigned count) {
        m_sections.resize(count);
        for (auto& section : m_sections) {
            if (!image.Read(offset, &section)) return false;
            offset += sizeof section;
        }
        return true;
    }

    // Where count bytes at rva lie, all in the file data of one section.
    std::optional<Place> Find(uint64_t rva, uint64_t count) const {
        for (const auto& section : m_sections) {
            if (rva < section.VirtualAddress) continue;
            const uint64_t into = rva - section.VirtualAddress;
            if (into >= section.SizeOfRawData || section.SizeOfRawData - into < count) continue;
            const uint64_t start = section.PointerToRawData;
            return Place{start + into, start + section.SizeOfRawData};
        }
        return std::nullopt;
    }

private:
    std::vector<IMAGE_SECTION_HEADER> m_sections;
};

enum class Lookup { Found, Missing, Damaged };

// The export table as the loader reads it: a name is found by binary search in the name
// table (which linkers sort), and counts only when its ordinal leads to an address.
class ExportTable {
public:
    ExportTable(const ImageBytes& image, const SectionMap& sections, const IMAGE_EXPORT_DIRECTORY& directory)
        : m_image(image), m_sections(sections), m_directory(directory) {}

    Lookup Find(std::string_view name) const {
        uint32_t low = 0;
        uint32_t high = m_directory.NumberOfNames;
        while (low < high) {
            const uint32_t middle = low + (high - low) / 2;
            const auto entry = NameAt(middle);
            if (!entry) return Lookup::Damaged;
            const int order = entry->compare(name);
            if (order == 0) return HasAddress(middle) ? Lookup::Found : Lookup::Missing;
            if (order < 0)
                low = middle + 1;
            else
                high = middle;
        }
        return Lookup::Missing;
    }

private:
    std::optional<std::string_view> NameAt(uint32_t index) const {
        DWORD rva = 0;
        if (!ReadEntry(m_directory.AddressOfNames, index, &rva)) return std::nullopt;
        const auto place = m_sections.Find(rva, 1);
        if (!place) return std::nullopt;
        return m_image.Text(place->offset, place->sectionEnd);
    }

    bool HasAddress(uint32_t index) const {
        WORD ordinal = 0;
        DWORD function = 0;
        return ReadEntry(m_directory.AddressOfNameOrdinals, index, &ordinal) &&
               ordinal < m_directory.NumberOfFunctions &&
               ReadEntry(m_directory.AddressOfFunctions, ordinal, &function) && function != 0;
    }

    template <class T>
    bool ReadEntry(DWORD table, uint32_t index, T* value) const {
        const auto place = m_sections.Find(uint64_t{table} + uint64_t{index} * sizeof(T), sizeof(T));
        return place && m_image.Read(place->offset, value);
    }

    const ImageBytes& m_image;
    const SectionMap& m_sections;
    IMAGE_EXPORT_DIRECTORY m_directory;
};

// The export entry of the data directories, in the optional header's layout for its width.
template <class OptionalHeader>
std::optional<IMAGE_DATA_DIRECTORY> ExportEntryIn(const ImageBytes& image, uint64_t header, uint16_t headerSize) {
    constexpr uint64_t entry = offsetof(OptionalHeader, DataDirectory) +
                               IMAGE_DIRECTORY_ENTRY_EXPORT * sizeof(IMAGE_DATA_DIRECTORY);
    DWORD entries = 0;
    IMAGE_DATA_DIRECTORY exports = {};
    if (headerSize < entry + sizeof exports ||
        !image.Read(header + offsetof(OptionalHeader, NumberOfRvaAndSizes), &entries) ||
        entries <= IMAGE_DIRECTORY_ENTRY_EXPORT || !image.Read(header + entry, &exports))
        return std::nullopt;
    return exports;
}

std::optional<IMAGE_DATA_DIRECTORY> ExportEntry(const ImageBytes& image, uint64_t header, uint16_t headerSize) {
    WORD magic = 0;
    if (!image.Read(header, &magic)) return std::nullopt;
    if (magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) return ExportEntryIn<IMAGE_OPTIONAL_HEADER32>(image, header, headerSize);
    if (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) return ExportEntryIn<IMAGE_OPTIONAL_HEADER64>(image, header, headerSize);
    return std::nullopt;
}

// Counts the required names that the export table lacks; false when the table is damaged.
bool LookUpNames(const ExportTable* table, const BridgeRequirements& required, BridgeJudgement* judgement) {
    for (size_t i = 0; i < required.nameCount; ++i) {
        const Lookup found = table ? table->Find(required.names[i]) : Lookup::Missing;
        if (found == Lookup::Damaged) return false;
        if (found == Lookup::Found) continue;
        if (judgement->missingNames++ == 0) judgement->firstMissingName = required.names[i];
    }
    judgement->verdict = judgement->missingNames == 0 ? BridgeVerdict::Usable : BridgeVerdict::MissingNames;
    return true;
}

// After the file header: the names, looked up through the optional header's export entry
// and the section table.
BridgeJudgement JudgeExports(const ImageBytes& image, uint64_t optionalHeader, const IMAGE_FILE_HEADER& file,
                             const BridgeRequirements& required, BridgeJudgement judgement) {
    const auto exports = ExportEntry(image, optionalHeader, file.SizeOfOptionalHeader);
    SectionMap sections;
    if (!exports || !sections.Read(image, optionalHeader + file.SizeOfOptionalHeader, file.NumberOfSections))
        return judgement;

    std::optional<ExportTable> table;
    if (exports->VirtualAddress != 0 && exports->Size != 0) {
        IMAGE_EXPORT_DIRECTORY directory = {};
        const auto place = sections.Find(exports->VirtualAddress, sizeof directory);
        if (!place || !image.Read(place->offset, &directory)) return judgement;
        table.emplace(image, sections, directory);
    }
    BridgeJudgement named = judgement;
    return LookUpNames(table ? &*table : nullptr, required, &named) ? named : judgement;
}

}  // namespace

BridgeJudgement JudgeBridgeImage(const unsigned char* data, size_t size, const BridgeRequirements& required) {
    const ImageBytes image(data, size);
    BridgeJudgement judgement;

    IMAGE_DOS_HEADER dos = {};
    if (!image.Read(0, &dos) || dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew < 0) return judgement;
    const uint64_t nt = static_cast<uint64_t>(dos.e_lfanew);
    DWORD signature = 0;
    IMAGE_FILE_HEADER file = {};
    if (!image.Read(nt, &signature) || signature != IMAGE_NT_SIGNATURE || !image.Read(nt + sizeof signature, &file))
        return judgement;

    judgement.machine = file.Machine;
    if (file.Machine != required.machine) {
        judgement.verdict = BridgeVerdict::OtherMachine;
        return judgement;
    }
    if ((file.Characteristics & IMAGE_FILE_DLL) == 0) {
        judgement.verdict = BridgeVerdict::NotADll;
        return judgement;
    }
    return JudgeExports(image, nt + sizeof signature + sizeof file, file, required, judgement);
}

}  // namespace bridgecheck
