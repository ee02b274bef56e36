#include "platform/sys/inifile.h"

#include "platform/sys/profiletext.h"
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

// Names are matched trimmed; these are the ones a line can hold so that they are found again.
void checkNames(const std::string &path, const std::string &section, const std::string &key, const std::string &value)
{
    auto refuse = [&](const std::string &why) { throw EIniFileException("Unable to write to " + path + ": " + why); };
    for (const std::string *text : {&section, &key, &value}) {
        if (!IsValidUtf8(*text))
            refuse("a name or value is not UTF-8 text");
        if (text->find_first_of("\r\n") != std::string::npos)
            refuse("\"" + TrimBlanks(*text) + "\" holds a line break");
    }
    if (!key.empty() && key.front() == '[')
        refuse("the key name \"" + key + "\" begins with \"[\", which starts a section line");
    if (key.find('=') != std::string::npos)
        refuse("the key name \"" + key + "\" holds \"=\"");
}

} // namespace

std::string TIniFile::ReadString(const std::string &section, const std::string &key, const std::string &fallback) const
{
    std::string raw;
    if (!readAll(path_, raw))
        return fallback;
    return TProfileText(std::move(raw)).Value(TrimBlanks(section), TrimBlanks(key)).value_or(fallback);
}

int TIniFile::KeyLine(const std::string &section, const std::string &key) const
{
    std::string raw;
    if (!readAll(path_, raw))
        return 0;
    const std::optional<size_t> at = TProfileText(std::move(raw)).KeyLineIndex(TrimBlanks(section), TrimBlanks(key));
    return at ? static_cast<int>(*at + 1) : 0;
}

void TIniFile::WriteString(const std::string &section, const std::string &key, const std::string &value) const
{
    const std::string s = TrimBlanks(section);
    const std::string k = TrimBlanks(key);
    checkNames(path_, s, k, value);
    std::string raw;
    const bool exists = readAll(path_, raw);
    const TProfileText text(std::move(raw));
    // New text takes the file's encoding, so that the rest reads as before. Only a file of plain
    // ASCII leaves a choice: GBK, as existing installations write, unless GBK bytes of these names
    // would read as UTF-8 there.
    std::vector<TTextEncoding> choices{text.Encoding()};
    if (!exists || text.IsAscii())
        choices = {TTextEncoding::Gbk, TTextEncoding::Utf8};
    for (const TTextEncoding encoding : choices) {
        const std::optional<std::string> bytes = text.WithValue(s, k, value, encoding);
        if (!bytes || TProfileText(*bytes).Value(s, k) != TrimBlanks(value))
            continue;
        if (const int error = store(path_, *bytes))
            throw EIniFileException("Unable to write to " + path_ + ": " + std::strerror(error));
        return;
    }
    throw EIniFileException("Unable to write to " + path_ + ": the value of \"" + k + "\" cannot be stored in the file's encoding");
}

SettingsPlace FindSettingsPlace(const std::string &programFolder, const std::string &programName)
{
    auto under = [&programFolder](const char *prefix) { return programFolder.rfind(prefix, 0) == 0; };
    const bool installed = under("/usr/") || under("/opt/");
    if (!programFolder.empty() && !installed && ::access(programFolder.c_str(), W_OK) == 0)
        return {programFolder + "/", false};
    const char *xdg = std::getenv("XDG_CONFIG_HOME");
    const char *home = std::getenv("HOME");
    std::string base = xdg && *xdg ? xdg : std::string(home ? home : "") + "/.config";
    ::mkdir(base.c_str(), 0755);
    const std::string folder = base + "/" + (programName.empty() ? "irtool" : programName);
    const bool created = ::mkdir(folder.c_str(), 0755) == 0;
    return {folder + "/", created};
}

SettingsPlace ProgramSettingsPlace()
{
    return FindSettingsPlace(ProgramFolder(), ProgramName());
}

} // namespace platform
