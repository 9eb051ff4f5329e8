// An in-memory INI image of a file: case-insensitive sections and keys kept in the order they
// entered, and a writer for the exact file bytes (KEY=value lines, CRLF, an empty line after
// every section).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vxt {

class TMemIniFile {
public:
    TMemIniFile();
    // Loads the file when it exists. EFileError when it exists but cannot be read, is larger than
    // any document, or holds a zero byte (the text after it could not be kept).
    explicit TMemIniFile(const std::string &fileName);
    // The image of `fileName` from its content, read already; EFileError for a zero byte, as above.
    TMemIniFile(const std::string &fileName, const std::string &content);
    ~TMemIniFile();
    TMemIniFile(const TMemIniFile &) = delete;
    TMemIniFile &operator=(const TMemIniFile &) = delete;

    const std::string &FileName() const { return fileName_; }
    void SetFileName(const std::string &fileName) { fileName_ = fileName; }

    void LoadFromText(const std::string &text);   // replaces the whole image; ends at a zero byte
    void Clear();

    std::string ReadString(const std::string &section, const std::string &key, const std::string &def) const;
    int32_t ReadInteger(const std::string &section, const std::string &key, int32_t def) const;
    bool ReadBool(const std::string &section, const std::string &key, bool def) const;
    void WriteString(const std::string &section, const std::string &key, const std::string &value);
    void WriteInteger(const std::string &section, const std::string &key, int32_t value);
    void WriteBool(const std::string &section, const std::string &key, bool value);

    bool SectionExists(const std::string &section) const;
    bool ValueExists(const std::string &section, const std::string &key) const;
    std::vector<std::string> ReadSections() const;                           // in file order
    std::vector<std::string> ReadSection(const std::string &section) const;  // key names in order
    void EraseSection(const std::string &section);
    void DeleteKey(const std::string &section, const std::string &key);

    std::string GetText() const;   // the exact bytes the file gets
    void UpdateFile() const;       // writes GetText() to FileName(), replacing it atomically

private:
    void LoadFileContent(const std::string &content);

    struct Impl;
    std::unique_ptr<Impl> d;
    std::string fileName_;
};

// `text` with the value of `key` in `section` set, as the reader above finds them (names without
// regard to case, a BOM and a "[" line without "]" skipped). Only the key's own lines change; a
// missing key is added after the section's last key, a missing section at the end. Every other
// byte (comments, keys before the first section, other sections and keys) stays as it was.
// EFileError ("The value of KEY in [SECTION] holds the control character U+000D.") for a value
// holding a control character.
std::string IniTextWithValue(const std::string &text, const std::string &section, const std::string &key,
                             const std::string &value);

}  // namespace vxt
