#include "platform/JsonText.h"

#include <cstring>

namespace platform::jsonText {

namespace {

class Scanner {
public:
    explicit Scanner(QByteArrayView text) : t_(text) {
        if (t_.startsWith("\xEF\xBB\xBF")) pos_ = 3;
    }

    qsizetype pos() const { return pos_; }
    bool atEnd() const { return pos_ >= t_.size(); }
    bool take(char c) {
        if (atEnd() || t_[pos_] != c) return false;
        ++pos_;
        return true;
    }
    void space() {
        while (!atEnd() && std::strchr(" \t\n\r", t_[pos_]) && t_[pos_] != '\0') ++pos_;
    }
    bool string() {
        if (!take('"')) return false;
        while (!atEnd()) {
            const char c = t_[pos_++];
            if (c == '\\') ++pos_;
            else if (c == '"') return pos_ <= t_.size();
        }
        return false;
    }
    // Any value: strings and nested containers by their brackets, the rest
    // (numbers, literals) up to the next delimiter.
    bool value() {
        if (atEnd()) return false;
        const char first = t_[pos_];
        if (first == '"') return string();
        if (first == '{' || first == '[') {
            int depth = 0;
            while (!atEnd()) {
                const char c = t_[pos_];
                if (c == '"') {
                    if (!string()) return false;
                    continue;
                }
                ++pos_;
                if (c == '{' || c == '[') ++depth;
                else if ((c == '}' || c == ']') && --depth == 0) return true;
            }
            return false;
        }
        const qsizetype start = pos_;
        while (!atEnd() && !std::strchr(",}] \t\r\n", t_[pos_])) ++pos_;
        return pos_ > start;
    }
    // Only white space left.
    bool finished() {
        space();
        return atEnd();
    }

private:
    QByteArrayView t_;
    qsizetype pos_ = 0;
};

} // namespace

std::optional<std::vector<Member>> objectMembers(QByteArrayView text) {
    Scanner s(text);
    std::vector<Member> out;
    s.space();
    if (!s.take('{')) return std::nullopt;
    s.space();
    if (s.take('}')) return s.finished() ? std::optional(out) : std::nullopt;
    for (;;) {
        s.space();
        Member m;
        m.key.begin = m.whole.begin = s.pos();
        if (!s.string()) return std::nullopt;
        m.key.end = s.pos();
        s.space();
        if (!s.take(':')) return std::nullopt;
        s.space();
        if (!s.value()) return std::nullopt;
        m.whole.end = s.pos();
        out.push_back(m);
        s.space();
        if (s.take(',')) continue;
        if (s.take('}')) return s.finished() ? std::optional(out) : std::nullopt;
        return std::nullopt;
    }
}

std::optional<std::vector<Span>> arrayElements(QByteArrayView text) {
    Scanner s(text);
    std::vector<Span> out;
    s.space();
    if (!s.take('[')) return std::nullopt;
    s.space();
    if (s.take(']')) return s.finished() ? std::optional(out) : std::nullopt;
    for (;;) {
        s.space();
        Span e;
        e.begin = s.pos();
        if (!s.value()) return std::nullopt;
        e.end = s.pos();
        out.push_back(e);
        s.space();
        if (s.take(',')) continue;
        if (s.take(']')) return s.finished() ? std::optional(out) : std::nullopt;
        return std::nullopt;
    }
}

} // namespace platform::jsonText
