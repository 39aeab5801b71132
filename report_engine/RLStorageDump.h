#pragma once
// A readable listing of stored pages, one line per drawing object, for
// reviewing what a report put on its pages and for comparing whole reports
// in tests.
//
//   page 1 794x1123 Orientation=1 PaperWidth=210.0000 PaperHeight=297.0000
//   1 text [38,38,756,55] at 41,38 left/top flags 5 "Arial" 10 b #000000 brush clear "Total"
//   1 fill [38,60,756,61] brush solid #c0c0c0
#include <QString>

class TRLGraphicStorage;
class TRLGraphicSurface;

// The header macros, then every page and its objects.
QString DumpStorage(TRLGraphicStorage& storage);
// The objects of one surface, each line starting with the page number given.
QString DumpSurface(const TRLGraphicSurface& surface, int pageNumber);
