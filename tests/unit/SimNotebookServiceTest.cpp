// The simulated notebook itself: journal lines read back as written, the service survives
// clients that misbehave, notebookctl passes words through unchanged and reports failure
// by its exit status, and the service never outlives what it serves.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "ORVWmiAcpi.h"
#include "SimNotebookClient.h"
#include "common/PipeChannel.h"

namespace {

using simnb::UniqueHandle;

// Runs a program beside the test with the given arguments; its exit status, or -1.
int RunBeside(const std::wstring& program, const std::wstring& args, DWORD flags = 0, UniqueHandle* keep = nullptr) {
    std::wstring exe = simnb::ExecutableFolder() + program;
    std::wstring commandLine = L"\"" + exe + L"\" " + args;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, flags | DETACHED_PROCESS, nullptr,
                        nullptr, &startup, &info)) {
        return -1;
    }
    CloseHandle(info.hThread);
    UniqueHandle process(info.hProcess);
    if (keep != nullptr) {
        *keep = std::move(process);
        return 0;
    }
    if (WaitForSingleObject(process.Get(), 15000) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process.Get(), &code);
    return static_cast<int>(code);
}

std::string Query(const char* text) {
    char request[80] = {};
    std::strcpy(request, text);
    char reply[800] = {};
    if (ORV_CallNamePipe(request, sizeof request, reply, sizeof reply) == 0) return "<failed>";
    return std::string(reply);
}

TEST(SimNotebookJournalLine, FieldsAreFoundOutsideQuotesAndDecoded) {
    simnb::JournalEntry entry;
    ASSERT_TRUE(simnb::ParseJournalLine(
        "42 133000000000000001 fw call text=\"a result=9 \\x22q\\x22 root\\WMI\" result=1 reply=\"\"", &entry));
    EXPECT_EQ(42u, entry.seq);
    EXPECT_EQ(133000000000000001u, entry.time);
    EXPECT_EQ("fw", entry.source);
    EXPECT_EQ("call", entry.Action());
    EXPECT_EQ(std::optional<std::string>("a result=9 \"q\" root\\WMI"), entry.Field("text"));
    EXPECT_EQ(std::optional<std::string>("1"), entry.Field("result"));
    EXPECT_EQ(std::optional<std::string>(""), entry.Field("reply"));
    EXPECT_EQ(std::nullopt, entry.Field("sult"));
    EXPECT_FALSE(simnb::ParseJournalLine("not a journal line", &entry));
}

class SimNotebookService : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_service.Start(&m_error)) << m_error; }

    simnb::SimNotebookProcess m_service;
    simnb::SimNotebookClient m_ctl;
    std::string m_error;
};

TEST_F(SimNotebookService, OutlivesClientsThatHangOrVanishMidRequest) {
    // One connection that never says anything, one that sends a truncated call, one that
    // sends a call and leaves without reading the answer.
    const wchar_t* firmware = L"\\\\.\\pipe\\ORV_SimFirmware";
    simnb::PipeChannel silent(simnb::ConnectToPipe(firmware, 2000));
    simnb::PipeChannel truncatedCaller(simnb::ConnectToPipe(firmware, 2000));
    ASSERT_TRUE(silent.Valid() && truncatedCaller.Valid());
    char message[12 + 80] = {};
    const unsigned kind = 0x4C4C4143;  // a call, as the bridge sends it
    const int sizes[2] = {80, 800};
    std::memcpy(message, &kind, 4);
    std::memcpy(message + 4, sizes, 8);
    std::strcpy(message + 12, "root\\WMI:Q:ORV_AP:AP:6");
    EXPECT_EQ(simnb::PipeIo::Ok, truncatedCaller.Write(message, 30, 2000));
    {
        simnb::PipeChannel leaver(simnb::ConnectToPipe(firmware, 2000));
        EXPECT_EQ(simnb::PipeIo::Ok, leaver.Write(message, sizeof message, 2000));
    }
    EXPECT_EQ("0", Query("root\\WMI:Q:ORV_AP:AP:6"));
    bool protocolError = false;
    for (int i = 0; i < 40 && !protocolError; ++i, Sleep(50)) {
        for (auto& entry : m_ctl.Journal()) protocolError |= entry.Action() == "protocol-error";
    }
    EXPECT_TRUE(protocolError);
    EXPECT_TRUE(m_ctl.Ok({"fault", "absent", "on"})) << "stopping must not wait for the silent client";
}

TEST_F(SimNotebookService, OnlyOneServiceRuns) {
    EXPECT_EQ(3, RunBeside(L"simnotebook.exe", L"--quiet"));
    EXPECT_TRUE(m_ctl.IsRunning());
}

TEST_F(SimNotebookService, NotebookctlPassesWordsUnchangedAndReportsFailures) {
    EXPECT_EQ(0, RunBeside(L"notebookctl.exe", L"fault reply \"  12 abc\""));
    EXPECT_EQ("  12 abc", Query("root\\WMI:Q:ORV_System:System:0"));
    EXPECT_EQ(0, RunBeside(L"notebookctl.exe", L"fault reply \"\""));
    EXPECT_EQ("", Query("root\\WMI:Q:ORV_System:System:0"));
    EXPECT_EQ(1, RunBeside(L"notebookctl.exe", L"set AP:6 12a"));
    EXPECT_EQ(1, RunBeside(L"notebookctl.exe", L"no-such-command"));
    m_service.Stop();
    EXPECT_EQ(2, RunBeside(L"notebookctl.exe", L"status"));
}

TEST(SimNotebookLifetime, ServiceEndsWithTheProcessItServes) {
    UniqueHandle served;
    ASSERT_EQ(0, RunBeside(L"notebookctl.exe", L"status", CREATE_SUSPENDED, &served));
    UniqueHandle service;
    std::wstring args = L"--quiet --exit-with " + std::to_wstring(GetProcessId(served.Get()));
    ASSERT_EQ(0, RunBeside(L"simnotebook.exe", args, 0, &service));
    simnb::SimNotebookClient ctl;
    for (int i = 0; i < 100 && !ctl.IsRunning(); ++i) Sleep(50);
    ASSERT_TRUE(ctl.IsRunning());
    TerminateProcess(served.Get(), 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(service.Get(), 5000));
    if (WaitForSingleObject(service.Get(), 0) != WAIT_OBJECT_0) TerminateProcess(service.Get(), 1);
}

}  // namespace
