#include "support/ChildProcess.h"

#include "platform/Unicode.h"
#include "support/TempDir.h"

#include <random>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>

#include <algorithm>
#include <cwctype>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;
#endif

namespace mq::test {

namespace {

std::filesystem::path freshErrorFile() {
    std::random_device seed;
    return std::filesystem::temp_directory_path() /
           ("mq-child-" + std::to_string(seed()) + "-" + std::to_string(seed()) + ".err");
}

#ifdef _WIN32

std::wstring wide(const std::string& utf8) {
    std::u16string text;
    utf8ToUtf16(utf8, text);
    return std::wstring(text.begin(), text.end());
}

// One argument as the C runtime splits a command line: quoted when it holds blanks or quotes,
// with the backslashes before a quote doubled.
std::wstring quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos)
        return argument;
    std::wstring out = L"\"";
    for (auto it = argument.begin();; ++it) {
        std::size_t backslashes = 0;
        for (; it != argument.end() && *it == L'\\'; ++it) ++backslashes;
        if (it == argument.end()) {
            out.append(backslashes * 2, L'\\');
            break;
        }
        out.append(*it == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        out += *it;
    }
    return out + L'"';
}

std::wstring upper(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(c));
    return text;
}

// This process's environment with the changes, as the sorted block CreateProcessW takes.
std::wstring environmentBlock(const std::vector<std::string>& changes) {
    std::vector<std::wstring> entries;
    wchar_t* block = GetEnvironmentStringsW();
    for (const wchar_t* entry = block; *entry; entry += wcslen(entry) + 1)
        entries.emplace_back(entry);
    FreeEnvironmentStringsW(block);
    const auto name = [](const std::wstring& entry) {
        // Entries such as "=C:=C:\dir" begin with their '='.
        return upper(entry.substr(0, entry.find(L'=', 1)));
    };
    for (const std::string& change : changes) {
        const std::wstring assignment = wide(change);
        std::erase_if(entries, [&](const std::wstring& e) { return name(e) == name(assignment); });
        entries.push_back(assignment);
    }
    std::sort(entries.begin(), entries.end(),
              [&](const std::wstring& a, const std::wstring& b) { return name(a) < name(b); });
    std::wstring out;
    for (const std::wstring& entry : entries) out.append(entry).push_back(L'\0');
    out.push_back(L'\0');
    return out;
}

HANDLE handle(std::intptr_t value) {
    return reinterpret_cast<HANDLE>(value);
}

std::intptr_t value(HANDLE handle) {
    return reinterpret_cast<std::intptr_t>(handle);
}

#else

std::string nameOf(const std::string& assignment) {
    return assignment.substr(0, assignment.find('='));
}

#endif

}  // namespace

#ifdef _WIN32

ChildProcess::ChildProcess(const std::filesystem::path& program,
                           const std::vector<std::string>& arguments,
                           const std::vector<std::string>& environment)
    : errorFile_(freshErrorFile()) {
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE inRead = nullptr, inWrite = nullptr, outRead = nullptr, outWrite = nullptr;
    if (!CreatePipe(&inRead, &inWrite, &inherited, 0)) throw std::runtime_error("no pipe");
    if (!CreatePipe(&outRead, &outWrite, &inherited, 0)) {
        CloseHandle(inRead);
        CloseHandle(inWrite);
        throw std::runtime_error("no pipe");
    }
    // Our ends stay here.
    SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    input_ = value(inWrite);
    output_ = value(outRead);
    const HANDLE errors = CreateFileW(errorFile_.c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      &inherited, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);

    const std::filesystem::path executable = std::filesystem::absolute(program).make_preferred();
    std::wstring commandLine = quoted(executable.wstring());
    for (const std::string& argument : arguments) commandLine += L" " + quoted(wide(argument));
    std::wstring variables = environmentBlock(environment);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inRead;
    startup.hStdOutput = outWrite;
    startup.hStdError = errors;
    PROCESS_INFORMATION started{};
    const bool ok = errors != INVALID_HANDLE_VALUE &&
                    CreateProcessW(executable.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                   CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, variables.data(),
                                   nullptr, &startup, &started);
    CloseHandle(inRead);
    CloseHandle(outWrite);
    if (errors != INVALID_HANDLE_VALUE) CloseHandle(errors);
    if (!ok) {
        CloseHandle(inWrite);
        CloseHandle(outRead);
        input_ = output_ = -1;
        throw std::runtime_error("cannot start " + program.string());
    }
    CloseHandle(started.hThread);
    process_ = value(started.hProcess);
}

ChildProcess::~ChildProcess() {
    closeInput();
    if (output_ != -1) CloseHandle(handle(output_));
    if (process_ != -1) {
        wait();
        CloseHandle(handle(process_));
    }
    std::error_code ignored;
    std::filesystem::remove(errorFile_, ignored);
}

void ChildProcess::closeInput() {
    if (input_ != -1) CloseHandle(handle(input_));
    input_ = -1;
}

std::size_t ChildProcess::read(char* buffer, std::size_t size) {
    DWORD n = 0;
    if (!ReadFile(handle(output_), buffer, static_cast<DWORD>(size), &n, nullptr)) return 0;
    return n;
}

int ChildProcess::wait() {
    if (!ended_) {
        WaitForSingleObject(handle(process_), INFINITE);
        DWORD code = 0;
        status_ = GetExitCodeProcess(handle(process_), &code) ? static_cast<int>(code) : -1;
        ended_ = true;
    }
    return status_;
}

#else

ChildProcess::ChildProcess(const std::filesystem::path& program,
                           const std::vector<std::string>& arguments,
                           const std::vector<std::string>& environment)
    : errorFile_(freshErrorFile()) {
    int in[2] = {-1, -1};
    int out[2] = {-1, -1};
    const int errors = ::open(errorFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (errors < 0 || ::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) {
        for (int fd : {errors, in[0], in[1], out[0], out[1]})
            if (fd >= 0) ::close(fd);
        throw std::runtime_error("no pipe");
    }
    input_ = in[1];
    output_ = out[0];

    std::vector<std::string> variables;
    for (char** entry = environ; entry && *entry; ++entry) {
        const std::string name = nameOf(*entry);
        bool changed = false;
        for (const std::string& change : environment) changed = changed || nameOf(change) == name;
        if (!changed) variables.emplace_back(*entry);
    }
    variables.insert(variables.end(), environment.begin(), environment.end());
    std::vector<char*> envp;
    for (std::string& variable : variables) envp.push_back(variable.data());
    envp.push_back(nullptr);
    std::string path = program.string();
    std::vector<std::string> args{path};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errors, 2);
    pid_t pid = -1;
    const int error = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    for (int fd : {in[0], out[1], errors}) ::close(fd);
    if (error != 0) {
        closeInput();
        ::close(out[0]);
        output_ = -1;
        throw std::runtime_error("cannot start " + path + ": " + std::strerror(error));
    }
    process_ = pid;
}

ChildProcess::~ChildProcess() {
    closeInput();
    if (output_ != -1) ::close(static_cast<int>(output_));
    if (process_ != -1) wait();
    std::error_code ignored;
    std::filesystem::remove(errorFile_, ignored);
}

void ChildProcess::closeInput() {
    if (input_ != -1) ::close(static_cast<int>(input_));
    input_ = -1;
}

std::size_t ChildProcess::read(char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(static_cast<int>(output_), buffer, size);
        if (n < 0 && errno == EINTR) continue;
        return n < 0 ? 0 : static_cast<std::size_t>(n);
    }
}

int ChildProcess::wait() {
    if (!ended_) {
        int status = 0;
        while (::waitpid(static_cast<pid_t>(process_), &status, 0) < 0 && errno == EINTR) {
        }
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        ended_ = true;
    }
    return status_;
}

#endif

std::string ChildProcess::readLine() {
    std::string line;
    char c = 0;
    while (read(&c, 1) == 1) {
        line += c;
        if (c == '\n') break;
    }
    return line;
}

ChildProcess::Result ChildProcess::finish() {
    closeInput();
    Result result;
    char buffer[4096];
    for (std::size_t n; (n = read(buffer, sizeof buffer)) > 0;) result.out.append(buffer, n);
    result.status = wait();
    result.err = readFile(errorFile_);
    return result;
}

ChildProcess::Result ChildProcess::run(const std::filesystem::path& program,
                                       const std::vector<std::string>& arguments,
                                       const std::vector<std::string>& environment) {
    return ChildProcess(program, arguments, environment).finish();
}

}  // namespace mq::test
