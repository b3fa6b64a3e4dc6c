// SPDX-License-Identifier: MIT
// zerka-cli's entry on Windows. The arguments arrive as UTF-16; the narrow main of the C
// runtime would get them in the code page, losing every character outside it, so they are
// taken wide and handed on as UTF-8, the names the core works with.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <streambuf>
#include <string>
#include <vector>

#include "app/windows_command_line.h"
#include "keyframes/utf16.h"

int Utf8Main(int argc, char **argv);

namespace {

// Text bound for a console, written as UTF-16 with WriteConsoleW: any name shows whole,
// whatever the console's code page, which is left as it was. Pipes and files get the
// UTF-8 bytes through the C runtime unchanged. Once told to keep it instead (a console
// about to be given up), the text waits for a message box.
class ConsoleBuffer : public std::streambuf {
public:
    explicit ConsoleBuffer(HANDLE console) : console_(console) { }
    ~ConsoleBuffer() override { sync(); }

    const std::string &Kept() const { return kept_; }
    void KeepInstead() { console_ = nullptr; }

protected:
    int_type overflow(int_type c) override
    {
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            pending_ += traits_type::to_char_type(c);
            if (c == '\n')
                sync();
        }
        return traits_type::not_eof(c);
    }

    std::streamsize xsputn(const char *text, std::streamsize count) override
    {
        const std::string_view added(text, static_cast<std::size_t>(count));
        pending_ += added;
        if (added.find('\n') != std::string_view::npos)
            sync();
        return count;
    }

    // -1 when the console took not all of it, which the stream then reports as an error.
    int sync() override
    {
        const std::size_t whole = zerka::CompleteUtf8Length(pending_);
        if (whole == 0)
            return 0;
        bool written = true;
        if (!console_)
            kept_.append(pending_, 0, whole);
        else
            written = Write(zerka::Utf16FromUtf8(std::string_view(pending_).substr(0, whole)));
        pending_.erase(0, whole);
        return written ? 0 : -1;
    }

private:
    // In pieces: before Windows 8 a console write's buffer comes from a 64 KB heap that a
    // whole report would overflow. A piece never ends between the halves of a surrogate.
    bool Write(const std::wstring &wide) const
    {
        constexpr std::size_t kPiece = 8192;
        for (std::size_t done = 0; done < wide.size();) {
            std::size_t piece = std::min(kPiece, wide.size() - done);
            if (piece < wide.size() - done && wide[done + piece - 1] >= 0xD800 &&
                wide[done + piece - 1] <= 0xDBFF)
                --piece;
            DWORD written = 0;
            if (!::WriteConsoleW(console_, wide.data() + done, static_cast<DWORD>(piece), &written,
                                 nullptr) ||
                written == 0)
                return false;
            done += written;
        }
        return true;
    }

    HANDLE console_;
    std::string pending_;
    std::string kept_;
};

// A stream sent to buffer (none: left as it is) for as long as this lives.
class StreamTo {
public:
    StreamTo(std::ostream &stream, std::streambuf *buffer)
        : stream_(stream), before_(buffer ? stream.rdbuf(buffer) : nullptr)
    {
    }
    ~StreamTo()
    {
        if (before_) {
            stream_.flush();
            stream_.rdbuf(before_);
        }
    }
    StreamTo(const StreamTo &) = delete;
    StreamTo &operator=(const StreamTo &) = delete;

private:
    std::ostream &stream_;
    std::streambuf *before_;
};

bool IsConsole(HANDLE handle)
{
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && handle != nullptr && ::GetConsoleMode(handle, &mode);
}

// Whether Windows made the console for this process alone: started from Explorer, by a
// double click or a folder dropped on it, rather than from a console already open.
bool ConsoleIsOwn()
{
    DWORD processes[2];
    return ::GetConsoleProcessList(processes, 2) == 1;
}

std::wstring ProgramFolder()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (size == 0)
            return {};
        if (size < path.size()) {
            path.resize(size);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

// Starts zerka.exe beside this program on folder; else says why it could not.
std::optional<std::string> StartWindow(const std::vector<std::wstring> &folder)
{
    const std::wstring window = ProgramFolder() + L"zerka.exe";
    if (::GetFileAttributesW(window.c_str()) == INVALID_FILE_ATTRIBUTES)
        return "zerka.exe, the window, is not beside zerka-cli.exe.";
    std::wstring line = zerka::QuotedArgument(window);
    for (const std::wstring &argument : folder)
        line += L" " + zerka::QuotedArgument(argument);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(window.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &process))
        return "zerka.exe, the window, could not be started (Windows error " +
               std::to_string(::GetLastError()) + ").";
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return std::nullopt;
}

int RunUtf8(const std::vector<std::wstring> &wide)
{
    std::vector<std::string> arguments;
    for (const std::wstring &argument : wide)
        arguments.push_back(zerka::Utf8FromUtf16(argument));
    std::vector<char *> pointers;
    for (std::string &argument : arguments)
        pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    return Utf8Main(static_cast<int>(arguments.size()), pointers.data());
}

}  // namespace

int wmain(int, wchar_t **)
{
    // Split again from the line itself: the runtime's split cannot be mended afterwards.
    std::vector<std::wstring> arguments = zerka::SplitCommandLine(::GetCommandLineW());
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    const HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE);
    ConsoleBuffer outConsole(out);
    ConsoleBuffer errConsole(err);
    // Declared after the buffers: the streams let go of them before they go.
    const StreamTo outTo(std::cout, IsConsole(out) ? &outConsole : nullptr);
    const StreamTo errTo(std::cerr, IsConsole(err) ? &errConsole : nullptr);

    // Started from Explorer with nothing to convert, the console would close before its
    // text could be read: the window takes over, or the usage shows in a box.
    const bool fromExplorer = IsConsole(out) && ConsoleIsOwn();
    const std::vector<std::wstring> operands(arguments.begin() + 1, arguments.end());
    int status = 0;
    const bool nothingToConvert =
        operands.empty() || (operands.size() == 1 && operands[0].rfind(L"-", 0) != 0);
    if (fromExplorer && nothingToConvert) {
        const DWORD attributes =
            operands.empty() ? 0 : ::GetFileAttributesW(operands[0].c_str());
        const bool folder = operands.empty() || (attributes != INVALID_FILE_ATTRIBUTES &&
                                                 (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
        outConsole.KeepInstead();
        errConsole.KeepInstead();
        ::FreeConsole();
        std::string why =
            (operands.empty() ? std::string() : zerka::Utf8FromUtf16(operands[0])) +
            " is not a folder: a folder dropped on zerka-cli.exe opens the window on it.";
        if (folder) {
            const std::optional<std::string> failed = StartWindow(operands);
            if (!failed)
                return 0;
            why = *failed;
        }
        RunUtf8({arguments[0], L"--help"});
        status = 2;  // a usage error, as without operands on the command line
        std::cout.flush();
        // The usage's head; all of it would not fit a box.
        const std::string &usage = outConsole.Kept();
        const std::string text = usage.substr(0, usage.find("\n\n")) + "\n\n" + why +
                                 " In a command prompt, zerka-cli /? lists every option.";
        ::MessageBoxW(nullptr, zerka::Utf16FromUtf8(text).c_str(), L"Zerka",
                      MB_OK | MB_ICONINFORMATION);
    } else {
        status = RunUtf8(arguments);
    }
    return status;
}
