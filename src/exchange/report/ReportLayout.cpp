#include "ReportLayout.h"

#include <algorithm>

using namespace ReportGeometry;

int ReportLinesPerPage() { return (kBodyHeight - kHeaderBandHeight - kFooterBandHeight) / kDetailBandHeight; }

std::vector<ReportPage> PaginateReport(int detailPrints)
{
    const int perPage = ReportLinesPerPage();
    std::vector<ReportPage> pages;
    int first = 0;
    do {
        const int count = std::clamp(detailPrints - first, 0, perPage);
        pages.push_back({int(pages.size()) + 1, first, count});
        first += count;
    } while (first < detailPrints);
    return pages;
}
