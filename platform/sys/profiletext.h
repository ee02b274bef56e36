#pragma once
// The bytes of a profile file ("[section]" and "key=value" lines), read without losing any and
// changed one value at a time.
//
// Reading: a line ends at LF; the carriage returns before it belong to the line end. A key line's
// name and value are read apart, a section or other line whole. Each part is read as UTF-8 when
// only UTF-8 fits it, as GBK when only GBK fits it, in the file's encoding when both fit, and with
// the decoding that fails on fewer bytes when neither does. The file's encoding comes from its
// section and key names alone (never values, comments or other lines, which editors and people fill
// with anything): UTF-8 after a byte-order mark, else the encoding that more of them fit only, UTF-8
// when all of them fit both or are plain ASCII. A name that fits both encodings is found in either
// reading, so that a section or key is found in whichever encoding it was written, whatever the
// rest of a mixed file holds.
//
// Writing changes the bytes of one value, or inserts one key line or one section. New text is
// encoded in the file's encoding, so that it can never tip the file's encoding and every other
// part reads as before; untouched bytes, line ends included, are copied as they are.
#include <optional>
#include <string>
#include <vector>

namespace platform {

enum class TTextEncoding { Utf8, Gbk };

class TProfileText {
public:
    explicit TProfileText(std::string bytes);

    const std::string &Bytes() const { return FBytes; }
    TTextEncoding Encoding() const { return FEncoding; }
    // No byte above 0x7F anywhere: new text may take any encoding without changing how the file reads.
    bool IsAscii() const { return FAscii; }
    size_t LineCount() const { return FLines.size(); }
    // A line as read, in UTF-8, without its line end.
    const std::string &Line(size_t index) const { return FLines[index].Text; }

    // The trimmed value of the first matching key of the first matching section.
    std::optional<std::string> Value(const std::string &section, const std::string &key) const;
    // The index of the line Value takes the value from.
    std::optional<size_t> KeyLineIndex(const std::string &section, const std::string &key) const;

    // The file's bytes after setting the key to value with new text encoded as given; names are
    // taken as they are (the caller checks them). Nothing when value or names cannot be encoded.
    std::optional<std::string> WithValue(const std::string &section, const std::string &key, const std::string &value,
                                         TTextEncoding encoding) const;

private:
    struct TLine {
        size_t Begin;      // first byte
        size_t ContentEnd; // first byte of the line end
        size_t End;        // one past the line end
        size_t ValueBegin; // first byte after the first '=' of a key line, else ContentEnd
        bool IsKeyLine;
        std::string Text;
        std::optional<std::string> OtherName; // the name's reading in the other encoding, when both fit
    };

    bool nameIs(const TLine &line, const std::string &name) const;

    long findSection(const std::string &section) const;
    long findKey(long header, const std::string &key) const;
    std::string lineEndAfter(long line) const;

    std::string FBytes;
    bool FAscii = true;
    TTextEncoding FEncoding = TTextEncoding::Utf8;
    std::vector<TLine> FLines;
};

} // namespace platform
