// Sends the process's standard output to a temporary file while it lives, so that a test
// can read back exactly what the code under test printed.
#pragma once
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <cstdio>
#include <string>

class WmiStdoutCapture {
public:
    WmiStdoutCapture() {
        wchar_t dir[MAX_PATH];
        ::GetTempPathW(MAX_PATH, dir);
        ::GetTempFileNameW(dir, L"wmi", 0, m_path);
        std::fflush(stdout);
        m_file = ::_wopen(m_path, _O_RDWR | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
        m_savedStdout = ::_dup(::_fileno(stdout));
        ::_dup2(m_file, ::_fileno(stdout));
    }
    ~WmiStdoutCapture() {
        Restore();
        ::_close(m_file);
        ::DeleteFileW(m_path);
    }
    WmiStdoutCapture(const WmiStdoutCapture&) = delete;
    WmiStdoutCapture& operator=(const WmiStdoutCapture&) = delete;

    // Everything printed so far; standard output goes back to where it went before.
    std::string Text() {
        Restore();
        std::string text;
        char buffer[512];
        ::_lseek(m_file, 0, SEEK_SET);
        for (int n; (n = ::_read(m_file, buffer, sizeof buffer)) > 0;)
            text.append(buffer, static_cast<size_t>(n));
        return text;
    }

private:
    void Restore() {
        if (m_savedStdout < 0)
            return;
        std::fflush(stdout);
        ::_dup2(m_savedStdout, ::_fileno(stdout));
        ::_close(m_savedStdout);
        m_savedStdout = -1;
    }

    wchar_t m_path[MAX_PATH] = {};
    int m_file = -1;
    int m_savedStdout = -1;
};
