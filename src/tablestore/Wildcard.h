#pragma once
// The wildcard match of partial-key locates and of the filter language's LIKE-style comparison.
#include <QStringView>

namespace kvor {

// '*' matches any run of characters (none too), '?' any one character. Backtracks only to the
// last '*', so the cost stays bounded by the product of the two lengths.
inline bool matchesPattern(QStringView text, QStringView pattern) {
    qsizetype t = 0, p = 0, starP = -1, starT = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || (pattern[p] != u'*' && pattern[p] == text[t]))) {
            ++t, ++p;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starT = t;
        } else if (starP >= 0) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

} // namespace kvor
