#include "CompoundFile.h"

#include "LittleEndianWriter.h"

#include <algorithm>
#include <string_view>

namespace CompoundFile {

namespace {

constexpr std::uint32_t NoStream = 0xFFFFFFFF;
constexpr std::uint32_t EntriesPerSector = SectorSize / 4;
constexpr std::uint32_t HeaderDifat = 109;
constexpr std::uint32_t DifatPerSector = EntriesPerSector - 1; // the last entry chains

std::uint32_t CeilDiv(std::uint64_t a, std::uint64_t b) {
    return static_cast<std::uint32_t>((a + b - 1) / b);
}

void SizeAllocation(Layout& l) {
    // Smallest F (and D) whose table covers every sector, its own included.
    const std::uint64_t others = l.DataSectors + l.MiniFatSectors + 1;
    for (l.FatSectors = 1;; ++l.FatSectors) {
        l.DifatSectors =
            l.FatSectors > HeaderDifat ? CeilDiv(l.FatSectors - HeaderDifat, DifatPerSector) : 0;
        if (std::uint64_t(EntriesPerSector) * l.FatSectors >=
            others + l.FatSectors + l.DifatSectors) {
            return;
        }
    }
}

void PutEntry(LittleEndianWriter& w, std::u16string_view name, std::uint8_t type,
              std::uint32_t child, std::uint32_t start, std::uint64_t size) {
    const std::size_t at = w.Size();
    w.PutUtf16(name.data(), name.size());
    w.PutFill(0, 64 - (w.Size() - at));
    w.Put16(static_cast<std::uint16_t>((name.size() + 1) * 2));
    w.Put8(type);
    w.Put8(1); // black
    w.Put32(NoStream);
    w.Put32(NoStream);
    w.Put32(child);
    w.PutFill(0, 16 + 4 + 8 + 8); // class id, state bits, times
    w.Put32(start);
    w.Put64(size);
}

void PutEmptyEntry(LittleEndianWriter& w) {
    w.PutFill(0, 68);
    w.Put32(NoStream);
    w.Put32(NoStream);
    w.Put32(NoStream);
    w.PutFill(0, 128 - 80);
}

void PutHeader(LittleEndianWriter& w, const Layout& l) {
    static constexpr std::uint8_t signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    w.PutBytes(signature);
    w.PutFill(0, 16);
    w.Put16(0x003E);
    w.Put16(3);
    w.Put16(0xFFFE);
    w.Put16(9);
    w.Put16(6);
    w.PutFill(0, 6 + 4);
    w.Put32(l.FatSectors);
    w.Put32(l.Directory());
    w.Put32(0);
    w.Put32(MiniStreamCutoff);
    w.Put32(l.Mini ? l.DataSectors : EndOfChain);
    w.Put32(l.MiniFatSectors);
    w.Put32(l.DifatSectors ? l.FirstDifat() : EndOfChain);
    w.Put32(l.DifatSectors);
    for (std::uint32_t i = 0; i < HeaderDifat; ++i) {
        w.Put32(i < l.FatSectors ? l.FirstFat() + i : FreeSect);
    }
}

void PutChain(LittleEndianWriter& w, std::uint32_t first, std::uint32_t count) {
    for (std::uint32_t i = 0; i < count; ++i) {
        w.Put32(i + 1 < count ? first + i + 1 : EndOfChain);
    }
}

void PutFat(LittleEndianWriter& w, const Layout& l) {
    const std::size_t start = w.Size();
    PutChain(w, 0, l.DataSectors);
    if (l.MiniFatSectors) {
        w.Put32(EndOfChain);
    }
    for (std::uint32_t i = 0; i < l.FatSectors; ++i) {
        w.Put32(FatSect);
    }
    for (std::uint32_t i = 0; i < l.DifatSectors; ++i) {
        w.Put32(DifSect);
    }
    w.Put32(EndOfChain); // directory
    w.PutFill(0xFF, std::size_t(l.FatSectors) * SectorSize - (w.Size() - start));
}

void PutDifat(LittleEndianWriter& w, const Layout& l) {
    for (std::uint32_t d = 0; d < l.DifatSectors; ++d) {
        for (std::uint32_t i = 0; i < DifatPerSector; ++i) {
            const std::uint32_t fat = HeaderDifat + d * DifatPerSector + i;
            w.Put32(fat < l.FatSectors ? l.FirstFat() + fat : FreeSect);
        }
        w.Put32(d + 1 < l.DifatSectors ? l.FirstDifat() + d + 1 : EndOfChain);
    }
}

} // namespace

Layout Plan(std::uint64_t streamSize) {
    Layout l;
    if (streamSize < MiniStreamCutoff) {
        l.Mini = true;
        l.MiniSectors = std::max<std::uint32_t>(1, CeilDiv(streamSize, MiniSectorSize));
        l.DataSectors = CeilDiv(std::uint64_t(l.MiniSectors) * MiniSectorSize, SectorSize);
        l.MiniFatSectors = 1;
    } else {
        l.DataSectors = CeilDiv(streamSize, SectorSize);
    }
    SizeAllocation(l);
    return l;
}

void Write(std::span<const std::uint8_t> stream, const char16_t* streamName, const Sink& sink) {
    const Layout l = Plan(stream.size());
    LittleEndianWriter w;
    PutHeader(w, l);
    sink(w.Bytes());
    sink(stream);
    w = LittleEndianWriter();
    w.PutFill(0, std::size_t(l.DataSectors) * SectorSize - stream.size());
    if (l.Mini) {
        PutChain(w, 0, l.MiniSectors);
        w.PutFill(0xFF, (EntriesPerSector - l.MiniSectors) * 4);
    }
    PutFat(w, l);
    PutDifat(w, l);
    const std::uint32_t rootStart = l.Mini ? 0 : EndOfChain;
    const std::uint64_t rootSize = l.Mini ? std::uint64_t(l.MiniSectors) * MiniSectorSize : 0;
    PutEntry(w, u"Root Entry", 5, 1, rootStart, rootSize);
    PutEntry(w, streamName, 2, NoStream, 0, stream.size());
    PutEmptyEntry(w);
    PutEmptyEntry(w);
    sink(w.Bytes());
}

std::vector<std::uint8_t> Bytes(std::span<const std::uint8_t> stream, const char16_t* streamName) {
    std::vector<std::uint8_t> out;
    Write(stream, streamName, [&](std::span<const std::uint8_t> part) {
        out.insert(out.end(), part.begin(), part.end());
    });
    return out;
}

} // namespace CompoundFile
