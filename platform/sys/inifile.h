#pragma once
// Profile files ("[section]" and "key=value" lines) with the classic semantics: section and key
// names match trimmed and without regard to ASCII case, the first match wins, values are trimmed; a
// write replaces a value in place or adds the key (and the section). Each operation opens and
// releases the file.
//
// Texts are UTF-8 in memory. On disk every byte that a write does not set stays as it was, line
// ends included, and a file keeps the encoding its names have (see profiletext.h); a new file is
// written in GBK so that it stays interchangeable with existing installations.
#include <stdexcept>
#include <string>

namespace platform {

class EIniFileException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TIniFile {
public:
    explicit TIniFile(std::string path) : path_(std::move(path)) {}

    const std::string &FileName() const { return path_; }
    std::string ReadString(const std::string &section, const std::string &key, const std::string &fallback) const;
    // The number of the line (from 1) that ReadString takes the key's value from; 0 when the key is
    // missing. For messages that point the user at a bad value.
    int KeyLine(const std::string &section, const std::string &key) const;
    // Raises EIniFileException when the file cannot be written, and for texts that could not be
    // found again: a line break anywhere, a key that begins with "[" or holds "=", text that is
    // not UTF-8.
    void WriteString(const std::string &section, const std::string &key, const std::string &value) const;

private:
    std::string path_;
};

// Where the program's settings file lives.
struct SettingsPlace {
    std::string folder; // ends with a path separator
    bool created;       // a folder under the configuration folder, made just now
};

// The program's own folder when it can be written and is no installed program's folder (under /usr
// or /opt, which root could write as well); else $XDG_CONFIG_HOME (default ~/.config) joined with the
// program's name, created on demand.
SettingsPlace FindSettingsPlace(const std::string &programFolder, const std::string &programName);

// FindSettingsPlace for the running program.
SettingsPlace ProgramSettingsPlace();

} // namespace platform
