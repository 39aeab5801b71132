#include "RLXLSWorkbook.h"

#include <algorithm>

TRLXLSWorksheet::TRLXLSWorksheet(TRLXLSWorkbook* workbook, QString name) : workbook_(workbook) {
    SetName(name);
}

void TRLXLSWorksheet::SetName(const QString& name) {
    // The file format allows 31 characters in a sheet name.
    name_ = name.trimmed().left(31).trimmed();
    folded_ = name_.toCaseFolded();
}

void TRLXLSWorksheet::WidenCols(int first, int last) {
    FirstCol = FirstCol < 0 ? first : std::min(FirstCol, first);
    LastCol = std::max(LastCol, last);
}

void TRLXLSWorksheet::WidenRows(int first, int last) {
    FirstRow = FirstRow < 0 ? first : std::min(FirstRow, first);
    LastRow = std::max(LastRow, last);
}

TRLXLSCol* TRLXLSWorksheet::FindCol(int index, bool create) {
    for (auto& c : cols_) {
        if (c.Index == index) {
            return &c;
        }
    }
    if (!create) {
        return nullptr;
    }
    cols_.push_back(TRLXLSCol{index});
    WidenCols(index, index);
    return &cols_.back();
}

const TRLXLSRow* TRLXLSWorksheet::FindRow(int index) const {
    for (const auto& r : rows_) {
        if (r.Index == index) {
            return &r;
        }
    }
    return nullptr;
}

TRLXLSRow* TRLXLSWorksheet::FindRow(int index, bool create) {
    if (const TRLXLSRow* found = std::as_const(*this).FindRow(index)) {
        return const_cast<TRLXLSRow*>(found);
    }
    if (!create) {
        return nullptr;
    }
    rows_.push_back(TRLXLSRow{index});
    WidenRows(index, index);
    return &rows_.back();
}

std::uint64_t TRLXLSWorksheet::CellKey(int col, int row) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(row)) << 32) |
           static_cast<std::uint32_t>(col);
}

// Ranges never share a cell (a new one first removes those it overlaps), so
// each cell names at most one range and the cells of a rectangle tell which
// ranges meet it, however many a sheet holds.
TRLXLSRange* TRLXLSWorksheet::FindRange(int left, int top, int right, int bottom) {
    std::vector<TRLXLSRange*> met;
    for (int row = top; row <= bottom; ++row) {
        for (int col = left; col <= right; ++col) {
            const auto found = cells_.find(CellKey(col, row));
            if (found != cells_.end() &&
                std::find(met.begin(), met.end(), found->second) == met.end()) {
                met.push_back(found->second);
            }
        }
    }
    if (met.size() == 1 && met[0]->Left == left && met[0]->Top == top && met[0]->Right == right &&
        met[0]->Bottom == bottom) {
        return met[0];
    }
    for (TRLXLSRange* r : met) {
        SetCells(*r, nullptr);
    }
    if (!met.empty()) {
        std::erase_if(ranges_, [&](const std::unique_ptr<TRLXLSRange>& r) {
            return std::find(met.begin(), met.end(), r.get()) != met.end();
        });
    }
    auto range = std::make_unique<TRLXLSRange>();
    range->Worksheet = this;
    range->Left = left;
    range->Top = top;
    range->Right = right;
    range->Bottom = bottom;
    SetCells(*range, range.get());
    ranges_.push_back(std::move(range));
    WidenCols(left, right);
    WidenRows(top, bottom);
    return ranges_.back().get();
}

void TRLXLSWorksheet::SetCells(const TRLXLSRange& range, TRLXLSRange* owner) {
    for (int row = range.Top; row <= range.Bottom; ++row) {
        for (int col = range.Left; col <= range.Right; ++col) {
            if (owner) {
                cells_[CellKey(col, row)] = owner;
            } else {
                cells_.erase(CellKey(col, row));
            }
        }
    }
}

TRLXLSWorksheet* TRLXLSWorkbook::SheetByName(const QString& name) const {
    const QString folded = name.toCaseFolded();
    for (const auto& s : sheets_) {
        if (s->FoldedName() == folded) {
            return s.get();
        }
    }
    return nullptr;
}

TRLXLSWorksheet* TRLXLSWorkbook::NewSheet(const QString& prefix) {
    auto n = sheets_.size() + 1;
    while (SheetByName(prefix + QString::number(n))) {
        ++n;
    }
    sheets_.push_back(std::make_unique<TRLXLSWorksheet>(this, prefix + QString::number(n)));
    return sheets_.back().get();
}
