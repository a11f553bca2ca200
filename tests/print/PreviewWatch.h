#pragma once
// Stands in for the user at the modal preview: shows nothing, remembers how many pages each
// preview was given, and does what the test asks of the user before the preview closes.
#include "report/ReportPreview.h"

#include <QList>
#include <functional>

namespace kvor::testing {

class PreviewWatch {
public:
    PreviewWatch() {
        TReportPreview::setModalRunner([this](TReportPreview& preview) {
            pages << preview.pageCount();
            if (act) act(preview);
            return 0;
        });
    }
    ~PreviewWatch() { TReportPreview::setModalRunner({}); }
    PreviewWatch(const PreviewWatch&) = delete;
    PreviewWatch& operator=(const PreviewWatch&) = delete;

    QList<int> pages;
    std::function<void(TReportPreview&)> act; // the user's doing in each preview; none by default
};

} // namespace kvor::testing
