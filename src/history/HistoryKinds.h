#pragma once
// The five history windows as data: what each one is called, which listing statement it runs,
// which columns its grid shows and whether it carries the result detail panel. The window class
// (THistoryWindow) is one; a kind makes it TFhisto1, TFhisto3 and so on.
#include "server/ServerSql.h"

#include <QList>
#include <QString>

namespace kvor {

// One grid column: server column, title (empty: the column name is shown), width in pixels, and
// alignments. A value alignment of 0 follows the column's type: numbers right, the rest left.
struct THistoryColumn {
    QString Field;
    QString Title;
    int Width = 64;
    Qt::Alignment ValueAlign = {};
    Qt::Alignment TitleAlign = Qt::AlignLeft;
};

struct THistoryKind {
    THistoryVariant Variant; // also selects the listing statement (company filter, ULČ filter, order)
    QString ClassName;       // "TFhisto1"
    QString MenuItem;        // the item of the menu "Historie" that opens it
    QString Title;           // window title
    bool DetailPanel;        // result detail panel with "Zobrazit ULČ"
    int BarHeight;           // the bar with the year box, ČSO and "Zpět"
    QList<THistoryColumn> Columns;
};

// Whether the variant lists the requests of the whole company (by ICO) rather than those of this
// workstation (by company record id).
inline bool isWholeCompany(THistoryVariant variant) {
    return variant == THistoryVariant::TFhisto1c || variant == THistoryVariant::TFhisto2c;
}

// The kinds in the order of the menu "Historie".
const QList<THistoryKind>& historyKinds();
const THistoryKind& historyKind(THistoryVariant variant);

// Client area of every history window and the height of the detail panel.
inline constexpr int kHistoryWidth = 1095;
inline constexpr int kHistoryHeight = 644;
inline constexpr int kDetailPanelHeight = 143;

} // namespace kvor
