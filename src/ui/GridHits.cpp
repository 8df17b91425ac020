#include "GridHits.h"

#include "texts/Texts.h"

GridHit HitAt(const GridGeometry& geometry, QPoint global)
{
    if (!geometry.grid.contains(global)) return {};
    if (geometry.corner.contains(global)) return {GridPart::Header, 0};
    if (geometry.headings.contains(global)) {
        for (const GridGeometry::Heading& h : geometry.columns)
            if (h.width > 0 && global.x() >= h.left && global.x() < h.left + h.width)
                return {GridPart::Header, h.column};
        return {GridPart::Cells, -1};
    }
    if (geometry.fixedColumn.contains(global) && global.y() < geometry.rowsBottom)
        return {GridPart::FixedColumn, 0};
    return {GridPart::Cells, -1};
}

QString GridHint(GridPart part, int lang)
{
    switch (part) {
    case GridPart::Header: return MainText::HintSort[lang];
    case GridPart::Cells: return MainText::HintSelect[lang];
    case GridPart::FixedColumn:
    case GridPart::Outside: break;
    }
    return {};
}
