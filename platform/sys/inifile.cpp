#include "platform/sys/inifile.h"

#include "platform/sys/programpath.h"
#include "platform/sys/strconv.h"
#include "platform/sys/textcodec.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

enum class TEncoding { Gbk, Utf8, Utf8Bom };

const std::string Bom = "\xEF\xBB\xBF";

struct TProfile {
    TEncoding Encoding = TEncoding::Gbk;
    const char *Eol = "\r\n";
    std::vector<std::string> Lines; // UTF-8, without line ends
    bool Exists = false;
};

bool sameName(const std::string &a, const std::string &b)
{
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

bool hasNonAscii(const std::string &s)
{
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    return false;
}

bool readAll(const std::string &path, std::string &out)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        out.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return true;
}

TProfile load(const std::string &path)
{
    TProfile p;
    std::string raw;
    if (!readAll(path, raw))
        return p;
    p.Exists = true;
    std::string text;
    if (raw.compare(0, Bom.size(), Bom) == 0) {
        p.Encoding = TEncoding::Utf8Bom;
        text = raw.substr(Bom.size());
    } else if (hasNonAscii(raw) && IsValidUtf8(raw)) {
        p.Encoding = TEncoding::Utf8;
        text = raw;
    } else {
        text = GbkToUtf8(raw);
    }
    if (text.find("\r\n") == std::string::npos && text.find('\n') != std::string::npos)
        p.Eol = "\n";
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        p.Lines.push_back(line);
        start = end + 1;
    }
    return p;
}

bool writeFile(const std::string &path, const std::string &bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ::close(fd);
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return ::close(fd) == 0;
}

// Replaces the file through a temporary one so that a failed write never leaves half a file;
// a folder that refuses new files but holds a writable file is written in place. Returns 0 or
// the reason of the failure.
int store(const std::string &path, const std::string &bytes)
{
    const std::string temp = path + ".tmp";
    if (writeFile(temp, bytes)) {
        if (::rename(temp.c_str(), path.c_str()) == 0)
            return 0;
        ::unlink(temp.c_str());
    }
    if (::access(path.c_str(), W_OK) == 0 && writeFile(path, bytes))
        return 0;
    return errno ? errno : EIO;
}

// Index of the section's header line, or -1.
long findSection(const TProfile &p, const std::string &section)
{
    for (size_t i = 0; i < p.Lines.size(); ++i) {
        const std::string line = TrimBlanks(p.Lines[i]);
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']'
            && sameName(TrimBlanks(line.substr(1, line.size() - 2)), section))
            return static_cast<long>(i);
    }
    return -1;
}

bool isHeader(const std::string &line)
{
    const std::string t = TrimBlanks(line);
    return !t.empty() && t.front() == '[';
}

// Index of the key's line within the section starting at header, or -1.
long findKey(const TProfile &p, long header, const std::string &key)
{
    for (size_t i = static_cast<size_t>(header) + 1; i < p.Lines.size() && !isHeader(p.Lines[i]); ++i) {
        const size_t eq = p.Lines[i].find('=');
        if (eq != std::string::npos && sameName(TrimBlanks(p.Lines[i].substr(0, eq)), key))
            return static_cast<long>(i);
    }
    return -1;
}

} // namespace

std::string TIniFile::ReadString(const std::string &section, const std::string &key, const std::string &fallback) const
{
    const TProfile p = load(path_);
    const long header = findSection(p, section);
    if (header < 0)
        return fallback;
    const long at = findKey(p, header, key);
    if (at < 0)
        return fallback;
    const std::string &line = p.Lines[static_cast<size_t>(at)];
    return TrimBlanks(line.substr(line.find('=') + 1));
}

int TIniFile::KeyLine(const std::string &section, const std::string &key) const
{
    const TProfile p = load(path_);
    const long header = findSection(p, section);
    if (header < 0)
        return 0;
    return static_cast<int>(findKey(p, header, key) + 1);
}

void TIniFile::WriteString(const std::string &section, const std::string &key, const std::string &value) const
{
    TProfile p = load(path_);
    const long header = findSection(p, section);
    if (header < 0) {
        if (!p.Lines.empty() && !TrimBlanks(p.Lines.back()).empty())
            p.Lines.emplace_back();
        p.Lines.push_back("[" + section + "]");
        p.Lines.push_back(key + "=" + value);
    } else if (const long at = findKey(p, header, key); at >= 0) {
        std::string &line = p.Lines[static_cast<size_t>(at)];
        line = TrimBlanks(line.substr(0, line.find('='))) + "=" + value;
    } else {
        // After the section's last non-blank line, so blank separators stay between sections.
        size_t end = static_cast<size_t>(header) + 1;
        for (size_t i = end; i < p.Lines.size() && !isHeader(p.Lines[i]); ++i)
            if (!TrimBlanks(p.Lines[i]).empty())
                end = i + 1;
        p.Lines.insert(p.Lines.begin() + static_cast<long>(end), key + "=" + value);
    }
    std::string text;
    for (const std::string &line : p.Lines)
        text.append(line).append(p.Eol);
    std::string bytes;
    if (p.Encoding == TEncoding::Utf8Bom)
        bytes = Bom;
    bytes += p.Encoding == TEncoding::Gbk ? Utf8ToGbk(text) : text;
    if (const int error = store(path_, bytes))
        throw EIniFileException("Unable to write to " + path_ + ": " + std::strerror(error));
}

std::string SettingsFolder()
{
    const std::string own = ProgramFolder();
    if (!own.empty() && ::access(own.c_str(), W_OK) == 0)
        return own + "/";
    const char *xdg = std::getenv("XDG_CONFIG_HOME");
    const char *home = std::getenv("HOME");
    std::string base = xdg && *xdg ? xdg : std::string(home ? home : "") + "/.config";
    const std::string name = own.empty() ? "irtool" : own.substr(own.rfind('/') + 1);
    ::mkdir(base.c_str(), 0755);
    const std::string folder = base + "/" + name;
    ::mkdir(folder.c_str(), 0755);
    return folder + "/";
}

} // namespace platform
