// Version strings compared as sequences of numbers and words.
#include "platform/AppcastVersion.h"

namespace platform {

namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

struct Component {
    enum class Kind { number, word } kind = Kind::number;
    QStringView text; // digits without leading zeros ("" is 0), or the word
};

// Walks a version string one component at a time; past the end it yields
// the number 0 forever, which makes "1.0" and "1.0.0" the same.
class Components {
public:
    explicit Components(QStringView s) : s_(s) {}

    bool atEnd() {
        skipSeparators();
        return i_ >= s_.size();
    }

    Component next() {
        skipSeparators();
        if (i_ >= s_.size()) return {};
        const qsizetype start = i_;
        if (isDigit(s_[i_])) {
            while (i_ < s_.size() && isDigit(s_[i_])) ++i_;
            qsizetype first = start;
            while (first < i_ && s_[first] == u'0') ++first;
            return {Component::Kind::number, s_.sliced(first, i_ - first)};
        }
        while (i_ < s_.size() && s_[i_].isLetter()) ++i_;
        return {Component::Kind::word, s_.sliced(start, i_ - start)};
    }

private:
    void skipSeparators() {
        while (i_ < s_.size() && !isDigit(s_[i_]) && !s_[i_].isLetter()) ++i_;
    }

    QStringView s_;
    qsizetype i_ = 0;
};

std::weak_ordering compare(const Component& a, const Component& b) {
    if (a.kind != b.kind) {
        // A word marks a pre-release: below any number in the same place.
        return a.kind == Component::Kind::word ? std::weak_ordering::less : std::weak_ordering::greater;
    }
    if (a.kind == Component::Kind::number) {
        // Compared as digit strings, so no length of number can overflow.
        if (a.text.size() != b.text.size())
            return a.text.size() < b.text.size() ? std::weak_ordering::less : std::weak_ordering::greater;
        const int c = a.text.compare(b.text);
        return c < 0 ? std::weak_ordering::less : c > 0 ? std::weak_ordering::greater : std::weak_ordering::equivalent;
    }
    const int c = a.text.compare(b.text, Qt::CaseInsensitive);
    return c < 0 ? std::weak_ordering::less : c > 0 ? std::weak_ordering::greater : std::weak_ordering::equivalent;
}

} // namespace

std::weak_ordering compareVersions(QStringView a, QStringView b) {
    Components ca(a), cb(b);
    while (!ca.atEnd() || !cb.atEnd()) {
        const auto order = compare(ca.next(), cb.next());
        if (order != 0) return order;
    }
    return std::weak_ordering::equivalent;
}

} // namespace platform
