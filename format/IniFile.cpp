#include "IniFile.h"

#include "Exception.h"
#include "FormatNumber.h"
#include "Win1252.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

bool IsComment(const QString& trimmed) {
    return trimmed.startsWith(u';');
}

// The name of a "[name]" line, or nothing for other lines.
std::optional<QString> SectionName(const QString& line) {
    const QString trimmed = line.trimmed();
    if (!trimmed.startsWith(u'[')) {
        return std::nullopt;
    }
    const qsizetype close = trimmed.indexOf(u']');
    return trimmed.mid(1, (close < 0 ? trimmed.size() : close) - 1).trimmed();
}

// The key of a "key=value" line, or nothing for comments and other lines.
std::optional<QString> KeyName(const QString& line) {
    const QString trimmed = line.trimmed();
    const qsizetype equals = trimmed.indexOf(u'=');
    if (equals < 0 || IsComment(trimmed) || trimmed.startsWith(u'[')) {
        return std::nullopt;
    }
    return trimmed.left(equals).trimmed();
}

QString ValueOf(const QString& line) {
    QString value = line.mid(line.indexOf(u'=') + 1).trimmed();
    // A value written in quotation marks reads without them.
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front()) {
        value = value.mid(1, value.size() - 2);
    }
    return value;
}

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A line break inside a name or value would split the line and corrupt the
// file; it is written as a blank instead.
QString OneLine(QString text) {
    text.replace(u'\r', u' ');
    text.replace(u'\n', u' ');
    return text;
}

std::optional<int> WholeNumber(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok) {
        return std::nullopt;
    }
    return value;
}

} // namespace

IniFile::IniFile(const QString& fileName) : fileName_(QFileInfo(fileName).absoluteFilePath()) {
    Load();
}

void IniFile::Load() {
    lines_.clear();
    QFile file(fileName_);
    if (!file.open(QIODevice::ReadOnly)) {
        return;
    }
    const QByteArray bytes = file.readAll();
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' || bytes[i] == '\n') {
            lines_.push_back(
                Win1252::Decode(bytes.constData() + start, static_cast<std::size_t>(i - start)));
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    if (start < bytes.size()) {
        lines_.push_back(Win1252::Decode(bytes.constData() + start,
                                         static_cast<std::size_t>(bytes.size() - start)));
    }
}

void IniFile::Save() const {
    QByteArray bytes;
    for (const QString& line : lines_) {
        bytes += Win1252::Encode(line);
        bytes += "\r\n";
    }
    QSaveFile file(fileName_);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        throw Exception(QStringLiteral("Unable to write to ") + fileName_);
    }
}

bool IniFile::FindSection(const QString& section, std::size_t& first, std::size_t& end) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const std::optional<QString> name = SectionName(lines_[i]);
        if (!name || !SameName(*name, section)) {
            continue;
        }
        first = i + 1;
        end = first;
        while (end < lines_.size() && !SectionName(lines_[end])) {
            ++end;
        }
        return true;
    }
    return false;
}

std::optional<std::size_t> IniFile::FindKey(std::size_t first, std::size_t end,
                                            const QString& key) const {
    for (std::size_t i = first; i < end; ++i) {
        const std::optional<QString> name = KeyName(lines_[i]);
        if (name && SameName(*name, key)) {
            return i;
        }
    }
    return std::nullopt;
}

bool IniFile::SectionExists(const QString& section) const {
    std::size_t first = 0, end = 0;
    return FindSection(section, first, end);
}

bool IniFile::ValueExists(const QString& section, const QString& key) const {
    return Read(section, key).has_value();
}

std::optional<QString> IniFile::Read(const QString& section, const QString& key) const {
    std::size_t first = 0, end = 0;
    if (!FindSection(section, first, end)) {
        return std::nullopt;
    }
    const std::optional<std::size_t> line = FindKey(first, end, key);
    if (!line) {
        return std::nullopt;
    }
    return ValueOf(lines_[*line]);
}

QString IniFile::ReadString(const QString& section, const QString& key,
                            const QString& defaultValue) const {
    return Read(section, key).value_or(defaultValue);
}

int IniFile::ReadInteger(const QString& section, const QString& key, int defaultValue) const {
    const std::optional<QString> text = Read(section, key);
    return text ? WholeNumber(*text).value_or(defaultValue) : defaultValue;
}

void IniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    Load();
    const QString cleanSection = OneLine(section).trimmed();
    const QString cleanKey = OneLine(key).trimmed();
    const QString cleanValue = OneLine(value);
    std::size_t first = 0, end = 0;
    if (!FindSection(cleanSection, first, end)) {
        lines_.push_back(u'[' + cleanSection + u']');
        lines_.push_back(cleanKey + u'=' + cleanValue);
    } else if (const std::optional<std::size_t> line = FindKey(first, end, cleanKey)) {
        // Keep the key as the file spells it.
        lines_[*line] = *KeyName(lines_[*line]) + u'=' + cleanValue;
    } else {
        // After the section's last entry, before the blank lines that part it
        // from the next section.
        std::size_t at = end;
        while (at > first && lines_[at - 1].trimmed().isEmpty()) {
            --at;
        }
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                      cleanKey + u'=' + cleanValue);
    }
    Save();
}

void IniFile::WriteInteger(const QString& section, const QString& key, int value) {
    WriteString(section, key, IntToText(value));
}
