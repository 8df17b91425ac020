#pragma once
// Page furniture of the printed report, in hundredths of a millimetre so that the band
// arithmetic is exact: A4 landscape, 10 mm margins, a page header band (title and heading
// line) and a page footer band (page number) on every page, detail lines in between.
#include <vector>

namespace ReportGeometry {
inline constexpr int kPageWidth = 29700;
inline constexpr int kPageHeight = 21000;
inline constexpr int kMargin = 1000;
/// The area inside the margins, where the bands are laid.
inline constexpr int kBodyWidth = kPageWidth - 2 * kMargin;
inline constexpr int kBodyHeight = kPageHeight - 2 * kMargin;

inline constexpr int kHeaderBandHeight = 1143;
inline constexpr int kTitleLeft = 9102;
inline constexpr int kTitleTop = 0;
inline constexpr int kHeadingLeft = 0;
inline constexpr int kHeadingTop = 635;

inline constexpr int kDetailBandHeight = 423;
inline constexpr int kDetailLeft = 64;

inline constexpr int kFooterBandHeight = 1058;
inline constexpr int kPageNumberLeft = 27305;
inline constexpr int kPageNumberTop = 423;
/// The footer sits at the bottom of the body.
inline constexpr int kFooterTop = kBodyHeight - kFooterBandHeight;

inline constexpr int kTitlePointSize = 10;
inline constexpr int kHeadingPointSize = 8;
inline constexpr int kDetailPointSize = 8;
inline constexpr int kPageNumberPointSize = 10;
} // namespace ReportGeometry

/// Detail lines that fit between the page header and the page footer.
int ReportLinesPerPage();

struct ReportPage {
    int number = 1;      ///< 1-based
    int firstDetail = 0; ///< index of the page's first detail print
    int detailCount = 0;
    bool operator==(const ReportPage&) const = default;
};

/// Pages for `detailPrints` detail prints. There is always at least one page: a report
/// without detail lines still prints its header and footer.
std::vector<ReportPage> PaginateReport(int detailPrints);
