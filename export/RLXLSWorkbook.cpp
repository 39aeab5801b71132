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

TRLXLSRange* TRLXLSWorksheet::FindRange(int left, int top, int right, int bottom) {
    auto overlaps = [&](const std::unique_ptr<TRLXLSRange>& r) {
        return r->Left <= right && left <= r->Right && r->Top <= bottom && top <= r->Bottom;
    };
    bool anyOverlap = false;
    for (auto& r : ranges_) {
        if (r->Left == left && r->Top == top && r->Right == right && r->Bottom == bottom) {
            return r.get();
        }
        anyOverlap = anyOverlap || overlaps(r);
    }
    if (anyOverlap) {
        std::erase_if(ranges_, overlaps);
    }
    auto range = std::make_unique<TRLXLSRange>();
    range->Worksheet = this;
    range->Left = left;
    range->Top = top;
    range->Right = right;
    range->Bottom = bottom;
    ranges_.push_back(std::move(range));
    WidenCols(left, right);
    WidenRows(top, bottom);
    return ranges_.back().get();
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
