#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace mq::test {

// Another program run by a test, with pipes to its standard input and output. Its standard
// error goes to a file of its own, so that neither stream can block the other.
class ChildProcess {
public:
    struct Result {
        int status = -1;  // the exit status; -1 when it did not exit normally
        std::string out;
        std::string err;
    };

    // Starts `program` with `arguments` (UTF-8) and this process's environment, in which
    // each "NAME=value" of `environment` sets a variable. Throws std::runtime_error.
    ChildProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                 const std::vector<std::string>& environment = {});
    // Ends the program if it still runs.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // One line of its output, with its '\n'; what is left when the output ends first.
    std::string readLine();
    void closeInput();
    // Closes its input, reads the rest of its output and waits until it has ended.
    Result finish();

    // Runs `program` to its end with no input.
    static Result run(const std::filesystem::path& program,
                      const std::vector<std::string>& arguments,
                      const std::vector<std::string>& environment = {});

private:
    // Up to `size` bytes of its output; 0 at the end.
    std::size_t read(char* buffer, std::size_t size);
    int wait();

    std::filesystem::path errorFile_;
    std::intptr_t process_ = -1;  // pid, or process HANDLE on Windows
    std::intptr_t input_ = -1;    // descriptors, or HANDLEs on Windows
    std::intptr_t output_ = -1;
    bool ended_ = false;
    int status_ = -1;
};

}  // namespace mq::test
