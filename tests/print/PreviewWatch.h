#pragma once
// Stands in for the user at the modal preview: shows nothing and remembers how many pages each
// preview was given.
#include "report/ReportPreview.h"

#include <QList>

namespace kvor::testing {

class PreviewWatch {
public:
    PreviewWatch() {
        TReportPreview::setModalRunner([this](TReportPreview& preview) {
            pages << preview.pageCount();
            return 0;
        });
    }
    ~PreviewWatch() { TReportPreview::setModalRunner({}); }
    PreviewWatch(const PreviewWatch&) = delete;
    PreviewWatch& operator=(const PreviewWatch&) = delete;

    QList<int> pages;
};

} // namespace kvor::testing
