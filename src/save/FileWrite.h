#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace mq {

// Creates the file at `path` (UTF-8) and writes `content`; an existing file of that name is
// left alone and counts as a failure. A file that could not be written completely is removed,
// so no truncated file remains. True when the file holds the whole content; otherwise
// `error`, when given, receives the errno of the failure.
bool writeNewFile(const std::string& path, std::string_view content, int* error = nullptr);

// writeNewFile for content that comes in parts: the file is created at once (an existing one
// is a failure) and the parts are appended as they come. A failure at any point removes the
// file; so does destruction without close().
class NewFile {
public:
    explicit NewFile(const std::string& path);
    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    // False once anything failed; further parts are then ignored.
    bool good() const { return error_ == 0; }
    // The errno of the first failure, 0 while there is none.
    int error() const { return error_; }
    void append(std::string_view content);
    // True when the file is complete; otherwise it is gone.
    bool close();

private:
    std::string path_;
    int fd_ = -1;
    int error_ = 0;
};

// How a replacement ended. `created`: the new content had somewhere to go, a file beside the
// target or the target itself (false: the target cannot be created at all). `error`: the
// errno of the failure, 0 when the target holds the content.
struct ReplaceResult {
    bool created = false;
    int error = 0;
    explicit operator bool() const { return error == 0; }
};

// A file that takes the place of the one at `path` (UTF-8) once its whole content is
// written: the content goes into a temporary file beside the target, and commit() renames it
// over the target, so a failure at any point leaves an existing target as it was. Where the
// folder takes no new file, an existing target is overwritten in place at the commit
// instead. A target that the user may not write, or that is not a plain file, is not
// replaced. Destroyed without a commit, it leaves nothing behind; what interrupted runs left
// beside the target goes when the next one begins.
class FileReplacement {
public:
    explicit FileReplacement(const std::string& path);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // After a failure further content is ignored; commit() reports the failure.
    void append(std::string_view content);
    ReplaceResult commit();

private:
    std::string target_;
    std::string temporary_;
    int fd_ = -1;
    std::FILE* spool_ = nullptr;  // the content, when the target is to be overwritten in place
    bool flush_ = false;
    ReplaceResult state_;
};

// Puts `content` at `path` through a FileReplacement.
ReplaceResult replaceFile(const std::string& path, std::string_view content);

// What the user is told when a file could not be saved at `path`.
inline std::string saveErrorText(const std::string& path) {
    return "Error during file save to: " + path;
}

// Every line of a saved file ends in CR LF: appends one unless the text already ends so.
// Nothing else of the text changes, a lone LF inside it included.
void terminateLastLine(std::string& text);

}  // namespace mq
