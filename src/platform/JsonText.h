#pragma once

// The raw text of a JSON document's top-level members or elements, for
// readers that keep entries byte for byte or hand elements to several
// threads. The scan checks the top level only: each piece must still be
// parsed to know it is valid JSON.

#include <QByteArray>
#include <QByteArrayView>

#include <optional>
#include <vector>

namespace platform::jsonText {

struct Span {
    qsizetype begin = 0;
    qsizetype end = 0; // one past the last byte

    QByteArray of(const QByteArray& text) const { return text.mid(begin, end - begin); }
};

struct Member {
    Span key;   // the key with its quotes
    Span whole; // from the key's opening quote to the end of the value
};

// The members of a top-level object, in order; none when the text is not an
// object at the top level (a UTF-8 byte order mark and white space aside).
std::optional<std::vector<Member>> objectMembers(QByteArrayView text);

// The elements of a top-level array, in order; none when the text is not an
// array at the top level.
std::optional<std::vector<Span>> arrayElements(QByteArrayView text);

} // namespace platform::jsonText
