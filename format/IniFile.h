#pragma once
// A Windows-style initialisation file: [sections] of name=value lines, in
// Windows-1252. Sections and keys match without regard to case; comments,
// blank lines and the order of everything are kept when a value is
// written; lines are written with CRLF ends. Backslashes are plain
// characters. A missing file, section or key reads as absent.
#include <QString>
#include <optional>
#include <vector>

class IniFile {
public:
    // The path is made absolute here, so later writes go to the same file
    // even if the current directory changes. The file is read now; an absent
    // or unreadable file reads as empty.
    explicit IniFile(const QString& fileName);

    const QString& FileName() const { return fileName_; }

    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& key) const;
    std::optional<QString> Read(const QString& section, const QString& key) const;
    QString ReadString(const QString& section, const QString& key,
                       const QString& defaultValue) const;
    // The default when the key is absent or its value is not a whole number.
    int ReadInteger(const QString& section, const QString& key, int defaultValue) const;

    // Each write reads the file again, changes the one value and saves the
    // file at once, creating it when missing. A refused write raises
    // Exception "Unable to write to <path>".
    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);

private:
    void Load();
    void Save() const;
    // Index range of a section's lines after its header: [first, end).
    bool FindSection(const QString& section, std::size_t& first, std::size_t& end) const;
    std::optional<std::size_t> FindKey(std::size_t first, std::size_t end,
                                       const QString& key) const;

    QString fileName_;
    std::vector<QString> lines_;
};
