#include "WildcardMatch.h"

#include <QString>

using namespace Qt::StringLiterals;

namespace platform::zip {

namespace {

bool same(QChar a, QChar b, bool caseInsensitive)
{
    return caseInsensitive ? a.toCaseFolded() == b.toCaseFolded() : a == b;
}

// Reads the set that starts at pattern[at] ("[" already seen at at - 1); answers whether c is in
// it and moves at past the closing "]". A set without its "]" is taken as a plain "[".
bool matchSet(QStringView pattern, qsizetype& at, QChar c, bool caseInsensitive, bool& valid)
{
    qsizetype i = at;
    bool negate = false;
    if (i < pattern.size() && (pattern[i] == u'!' || pattern[i] == u'^')) {
        negate = true;
        ++i;
    }
    bool found = false;
    bool first = true;
    while (i < pattern.size() && (first || pattern[i] != u']')) {
        first = false;
        const QChar low = pattern[i];
        if (i + 2 < pattern.size() && pattern[i + 1] == u'-' && pattern[i + 2] != u']') {
            const QChar high = pattern[i + 2];
            const QChar folded = caseInsensitive ? c.toCaseFolded() : c;
            if ((low <= c && c <= high)
                || (caseInsensitive && low.toCaseFolded() <= folded && folded <= high.toCaseFolded()))
                found = true;
            i += 3;
        } else {
            if (same(low, c, caseInsensitive))
                found = true;
            ++i;
        }
    }
    if (i >= pattern.size()) {
        valid = false;
        return false;
    }
    valid = true;
    at = i + 1;
    return found != negate;
}

} // namespace

bool hasWildcards(QStringView text)
{
    return text.contains(u'*') || text.contains(u'?') || text.contains(u'[');
}

bool wildcardMatch(QStringView pattern, QStringView name, bool caseInsensitive)
{
    if (pattern == u"*.*"_s)
        return true;
    // Iterative matching with one backtrack point for the last "*": linear in practice and never
    // recursive, whatever the pattern.
    qsizetype p = 0;
    qsizetype n = 0;
    qsizetype starP = -1;
    qsizetype starN = 0;
    while (n < name.size()) {
        if (p < pattern.size()) {
            const QChar pc = pattern[p];
            if (pc == u'*') {
                starP = ++p;
                starN = n;
                continue;
            }
            if (pc == u'?') {
                ++p;
                ++n;
                continue;
            }
            if (pc == u'[') {
                qsizetype at = p + 1;
                bool valid = false;
                const bool inSet = matchSet(pattern, at, name[n], caseInsensitive, valid);
                if (valid && inSet) {
                    p = at;
                    ++n;
                    continue;
                }
                if (!valid && same(pc, name[n], caseInsensitive)) {
                    ++p;
                    ++n;
                    continue;
                }
            } else if (same(pc, name[n], caseInsensitive)) {
                ++p;
                ++n;
                continue;
            }
        }
        if (starP < 0)
            return false;
        p = starP;
        n = ++starN;
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

} // namespace platform::zip
