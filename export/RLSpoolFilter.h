#pragma once
// The print filter: plays the stored pages on the printer through the
// printer wrapper, each page scaled onto the printer's paper. PrintPages
// runs it (or another print filter) over a storage.
#include "RLFilters.h"

class TRLSpoolFilter : public TRLCustomPrintFilter {
    Q_OBJECT
public:
    using TRLCustomPrintFilter::TRLCustomPrintFilter;
    ~TRLSpoolFilter() override;

    // Where a storage page lands on the printer canvas: the page's paper in
    // device pixels, shifted by the printer's unprintable offsets.
    struct Placement {
        int Left = 0;
        int Top = 0;
        int Width = 0;
        int Height = 0;
    };
    static Placement PrintablePlacement(double paperWidthMM, double paperHeightMM, bool landscape);

protected:
    void BeginDoc() override;
    void EndDoc() override;
    void NewPage() override;
    void DrawPage(TRLGraphicSurface& page) override;

private:
    struct Paper {
        double Width = 0;
        double Height = 0;
        int Orientation = 1;
        friend bool operator==(const Paper&, const Paper&) = default;
    };
    Paper PaperOf(const TRLGraphicSurface& page) const;
    void StartJob(const Paper& paper);

    Paper paper_;
    bool pendingPage_ = false;
    bool open_ = false;
};

// The one print filter PrintPages uses when given none; made on first use.
TRLSpoolFilter& SpoolFilter();

// Prints pages firstPage..lastPage (1-based, -1: to the end) of the storage
// with the given print filter, or with the spool filter when none.
void PrintPages(TRLGraphicStorage* pages, TRLCustomPrintFilter* filter = nullptr, int firstPage = 1,
                bool background = false, int lastPage = -1);
