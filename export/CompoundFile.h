#pragma once
// The container around the workbook stream: a version 3 compound document
// with 512-byte sectors holding one stream. Small streams go into the mini
// stream, as strict readers look for them there; streams needing more than
// 109 allocation-table sectors get the extra index sectors.
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace CompoundFile {

inline constexpr std::uint32_t FreeSect = 0xFFFFFFFF;
inline constexpr std::uint32_t EndOfChain = 0xFFFFFFFE;
inline constexpr std::uint32_t FatSect = 0xFFFFFFFD;
inline constexpr std::uint32_t DifSect = 0xFFFFFFFC;
inline constexpr std::size_t SectorSize = 512;
inline constexpr std::size_t MiniSectorSize = 64;
inline constexpr std::size_t MiniStreamCutoff = 4096;

// Where everything goes, in sectors. Data sectors first (the stream, or the
// mini stream and its allocation table), then the allocation table, its
// extra index sectors and the directory.
struct Layout {
    bool Mini = false;
    std::uint32_t DataSectors = 0;    // stream sectors, or mini stream container sectors
    std::uint32_t MiniSectors = 0;    // 64-byte sectors of the mini stream
    std::uint32_t MiniFatSectors = 0; // 0 or 1
    std::uint32_t FatSectors = 0;
    std::uint32_t DifatSectors = 0;
    std::uint32_t FirstFat() const { return DataSectors + MiniFatSectors; }
    std::uint32_t FirstDifat() const { return FirstFat() + FatSectors; }
    std::uint32_t Directory() const { return FirstDifat() + DifatSectors; }
    std::uint32_t TotalSectors() const { return Directory() + 1; }
};

Layout Plan(std::uint64_t streamSize);

using Sink = std::function<void(std::span<const std::uint8_t>)>;
// Writes the whole file holding the stream under the given name.
void Write(std::span<const std::uint8_t> stream, const char16_t* streamName, const Sink& sink);
std::vector<std::uint8_t> Bytes(std::span<const std::uint8_t> stream, const char16_t* streamName);

} // namespace CompoundFile
