// The installer's check of the maker's bridge: this flavour's stand-in passes as the maker's
// library, other files are refused for what they are, and a file cut short or garbled in
// its headers or export table is refused without a single read past its end. Of the copies
// on the loader's way, the first counts, usable or not.
#include "BridgeFile.h"
#include "BridgeImage.h"
#include "BridgeSearch.h"
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

using namespace bridgecheck;

namespace {

#if defined(_WIN64)
const wchar_t kNvapiStandIn[] = L"nvapi64.dll";
const uint16_t kOtherMachine = IMAGE_FILE_MACHINE_I386;
#else
const wchar_t kNvapiStandIn[] = L"nvapi.dll";
const uint16_t kOtherMachine = IMAGE_FILE_MACHINE_AMD64;
#endif

std::wstring BinDir() {
    wchar_t path[MAX_PATH];
    std::wstring self(path, ::GetModuleFileNameW(nullptr, path, MAX_PATH));
    return self.substr(0, self.find_last_of(L'\\') + 1);
}

std::vector<unsigned char> StandInBridge() {
    const std::wstring path = BinDir() + kBridgeFileName;
    std::ifstream file(std::string(path.begin(), path.end()), std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Where the last of the names the loader has to read ends in the file: a copy cut short
// before it cannot be usable.
size_t EndOfTheNames(const std::vector<unsigned char>& image) {
    const BridgeRequirements required = ThisFlavoursBridge();
    size_t end = 0;
    for (size_t i = 0; i < required.nameCount; ++i) {
        const char* name = required.names[i];
        const auto found = std::search(image.begin(), image.end(), name, name + std::strlen(name) + 1);
        EXPECT_NE(found, image.end()) << name;
        end = std::max(end, static_cast<size_t>(found - image.begin()) + std::strlen(name) + 1);
    }
    return end;
}

// A read into the fence ends the test process here, with the fault's status: under Wine a
// fault left to the crash debugger can end a process with status 0, which would pass.
LONG CALLBACK EndOnAccessViolation(EXCEPTION_POINTERS* exception) {
    if (exception->ExceptionRecord->ExceptionCode == EXCEPTION_ACCESS_VIOLATION) {
        std::fputs("The check read past the end of the file's bytes.\n", stderr);
        std::fflush(stderr);
        ::TerminateProcess(::GetCurrentProcess(), EXCEPTION_ACCESS_VIOLATION);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

// A copy of bytes that ends where an inaccessible page begins: a read past its end faults
// and ends the test.
class FencedBytes {
public:
    FencedBytes(const unsigned char* data, size_t size) {
        SYSTEM_INFO system;
        ::GetSystemInfo(&system);
        const size_t page = system.dwPageSize;
        const size_t span = (size + page - 1) / page * page + page;
        m_base = static_cast<unsigned char*>(::VirtualAlloc(nullptr, span, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD previous = 0;
        if (m_base == nullptr || !::VirtualProtect(m_base + span - page, page, PAGE_NOACCESS, &previous)) std::abort();
        m_data = m_base + span - page - size;
        static const PVOID handler = ::AddVectoredExceptionHandler(1, &EndOnAccessViolation);
        (void)handler;
        std::memcpy(m_data, data, size);
    }
    ~FencedBytes() { ::VirtualFree(m_base, 0, MEM_RELEASE); }
    FencedBytes(const FencedBytes&) = delete;
    FencedBytes& operator=(const FencedBytes&) = delete;

    unsigned char* Data() const { return m_data; }

private:
    unsigned char* m_base = nullptr;
    unsigned char* m_data = nullptr;
};

BridgeJudgement JudgeFenced(const std::vector<unsigned char>& image, size_t size) {
    FencedBytes fenced(image.data(), size);
    return JudgeBridgeImage(fenced.Data(), size, ThisFlavoursBridge());
}

uint32_t NtHeaderOffset(const std::vector<unsigned char>& image) {
    uint32_t offset = 0;
    std::memcpy(&offset, &image[offsetof(IMAGE_DOS_HEADER, e_lfanew)], sizeof offset);
    return offset;
}

}  // namespace

TEST(BridgeCheck, TheStandInPassesAsTheMakersBridgeAndOtherFilesAreRefusedForWhatTheyAre) {
    const BridgeRequirements required = ThisFlavoursBridge();
    EXPECT_EQ(JudgeBridgeFile(BinDir() + kBridgeFileName, required).verdict, BridgeVerdict::Usable);

    const BridgeJudgement nvapi = JudgeBridgeFile(BinDir() + kNvapiStandIn, required);
    EXPECT_EQ(nvapi.verdict, BridgeVerdict::MissingNames);
    EXPECT_EQ(nvapi.missingNames, required.nameCount);
    EXPECT_EQ(nvapi.firstMissingName, required.names[0]);

    EXPECT_EQ(JudgeBridgeFile(BinDir() + L"Tarvel.exe", required).verdict, BridgeVerdict::NotADll);
    EXPECT_EQ(JudgeBridgeFile(BinDir() + L"no such file.dll", required).verdict, BridgeVerdict::NotFound);
    EXPECT_EQ(JudgeBridgeFile(BinDir(), required).verdict, BridgeVerdict::Unreadable);
}

// The maker's library of the other width, or of another version that lacks one name.
TEST(BridgeCheck, TheOtherMachineTypeOrOneMissingNameIsRefused) {
    std::vector<unsigned char> image = StandInBridge();
    ASSERT_FALSE(image.empty());

    std::vector<unsigned char> otherWidth = image;
    std::memcpy(&otherWidth[NtHeaderOffset(image) + sizeof(DWORD)], &kOtherMachine, sizeof kOtherMachine);
    const BridgeJudgement width = JudgeFenced(otherWidth, otherWidth.size());
    EXPECT_EQ(width.verdict, BridgeVerdict::OtherMachine);
    EXPECT_EQ(width.machine, kOtherMachine);

    // Renamed to one that sorts in the same place, so that the name table stays in order.
    const std::string name = "ORV_CallNamePipe";
    auto at = std::search(image.begin(), image.end(), name.c_str(), name.c_str() + name.size() + 1);
    ASSERT_NE(at, image.end());
    at[name.size() - 1] = 'f';
    const BridgeJudgement renamed = JudgeFenced(image, image.size());
    EXPECT_EQ(renamed.verdict, BridgeVerdict::MissingNames);
    EXPECT_EQ(renamed.missingNames, 1u);
    EXPECT_EQ(renamed.firstMissingName, name);
}

TEST(BridgeCheck, ABridgeCutShortIsRefusedWithoutAReadPastItsEnd) {
    const std::vector<unsigned char> image = StandInBridge();
    const size_t namesEnd = EndOfTheNames(image);
    ASSERT_GT(namesEnd, 1024u);
    for (size_t size = 0; size < 4096; ++size)
        ASSERT_NE(JudgeFenced(image, size).verdict, BridgeVerdict::Usable) << size;
    for (size_t size = namesEnd - 1024; size < namesEnd; ++size)
        ASSERT_NE(JudgeFenced(image, size).verdict, BridgeVerdict::Usable) << size;
    EXPECT_EQ(JudgeFenced(image, image.size()).verdict, BridgeVerdict::Usable);
}

// Seeded random values written over the headers and the export table: whatever the verdict,
// no offset or count the file claims leads outside it.
TEST(BridgeCheck, GarbledHeadersAndExportTablesAreReadWithinTheFile) {
    const int kCases = 50000;
    const std::vector<unsigned char> image = StandInBridge();
    const size_t namesEnd = EndOfTheNames(image);
    FencedBytes fenced(image.data(), image.size());
    std::mt19937 rng(20261208);
    std::uniform_int_distribution<size_t> header(0, 1023), exports(namesEnd - 512, namesEnd - 4), count(1, 4);
    const uint32_t hostile[] = {0, 1, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0xFFFF, 0x1000};
    std::uniform_int_distribution<size_t> pick(0, sizeof hostile / sizeof hostile[0]);
    int refused = 0;
    for (int i = 0; i < kCases; ++i) {
        for (size_t n = count(rng); n > 0; --n) {
            const size_t offset = (rng() & 1) ? header(rng) : exports(rng);
            const size_t k = pick(rng);
            const uint32_t value = k < sizeof hostile / sizeof hostile[0] ? hostile[k] : static_cast<uint32_t>(rng());
            std::memcpy(fenced.Data() + offset, &value, sizeof value);
        }
        if (JudgeBridgeImage(fenced.Data(), image.size(), ThisFlavoursBridge()).verdict != BridgeVerdict::Usable) ++refused;
        std::memcpy(fenced.Data(), image.data(), image.size());
    }
    EXPECT_GT(refused, kCases / 4) << "the garbled values do not reach what the check reads";
}

TEST(BridgeCheck, TheFirstCopyOnTheLoadersWayCountsUsableOrNot) {
    const std::wstring root = BinDir() + L"bridge-search-test";
    const std::wstring empty = root + L"\\empty", wrong = root + L"\\wrong", right = root + L"\\right";
    for (const auto& folder : {root, empty, wrong, right}) ::CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(::CopyFileW((BinDir() + kNvapiStandIn).c_str(), (wrong + L"\\ORVWmiAcpi.dll").c_str(), FALSE));
    ASSERT_TRUE(::CopyFileW((BinDir() + kBridgeFileName).c_str(), (right + L"\\ORVWmiAcpi.dll").c_str(), FALSE));

    const LoaderPlaces places = {empty, L"", right + L"\\", L";" + wrong + L";;" + right};
    const std::vector<std::wstring> folders = SearchOrder(places);
    EXPECT_EQ(folders, (std::vector<std::wstring>{empty, L"", right + L"\\", wrong, right}));
    EXPECT_EQ(FindFirst(folders, kBridgeFileName), right + L"\\ORVWmiAcpi.dll");
    const std::vector<std::wstring> onPath(folders.begin() + 3, folders.end());
    EXPECT_EQ(FindFirst(onPath, kBridgeFileName), wrong + L"\\ORVWmiAcpi.dll");
    EXPECT_EQ(FindFirst({empty}, kBridgeFileName), L"");

    for (const auto& folder : {wrong, right}) ::DeleteFileW((folder + L"\\ORVWmiAcpi.dll").c_str());
    for (const auto& folder : {empty, wrong, right, root}) ::RemoveDirectoryW(folder.c_str());
}
