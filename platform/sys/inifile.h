#pragma once
// Profile files ("[section]" and "key=value" lines) with the classic semantics: section and key
// names match without regard to ASCII case, the first match wins, values are trimmed; a write
// replaces a value in place or adds the key (and the section) and keeps every other line. Each
// operation opens and releases the file.
//
// Texts are UTF-8 in memory. On disk a file keeps the encoding it has: UTF-8 when it starts with a
// byte-order mark or holds valid non-ASCII UTF-8, otherwise GBK, which is also what new files are
// written in so that they stay interchangeable with existing installations.
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
    // Raises EIniFileException when the file cannot be written.
    void WriteString(const std::string &section, const std::string &key, const std::string &value) const;

private:
    std::string path_;
};

// Folder for the program's settings file: the program's own folder when it can be written, else
// $XDG_CONFIG_HOME (default ~/.config) joined with the program's folder name, created on demand.
// Ends with a path separator.
std::string SettingsFolder();

} // namespace platform
