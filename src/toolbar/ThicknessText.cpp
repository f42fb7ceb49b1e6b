#include "toolbar/ThicknessText.h"

#include <QByteArray>

#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>

namespace {

bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

// strtod in the C locale whatever the process's locale, so "7,5" never reads
// as seven and a half.
double strtodC(const char* text, char** end) {
    static locale_t c = newlocale(LC_NUMERIC_MASK, "C", locale_t(nullptr));
    return c ? strtod_l(text, end, c) : std::strtod(text, end);
}

QString wholePoints(double lineWidth) {
    if (!std::isfinite(lineWidth)) return QStringLiteral("0");
    return QString::number(static_cast<long long>(std::trunc(lineWidth)));
}

} // namespace

QString thicknessFieldText(double lineWidth) { return wholePoints(lineWidth); }

QString thicknessLabelText(double lineWidth) { return wholePoints(lineWidth) + QStringLiteral(" pt"); }

std::optional<double> parseTypedThickness(const QString& text) {
    QString rest = text;
    rest.remove(QStringLiteral("pt"), Qt::CaseInsensitive);
    qsizetype start = 0, end = rest.size();
    while (start < end && isBlank(rest[start])) ++start;
    while (end > start && isBlank(rest[end - 1])) --end;
    rest = rest.mid(start, end - start);
    // Whatever is left must be the number and nothing else; a line break or
    // any other space in front is not allowed (strtod would skip it).
    if (rest.isEmpty() || rest[0].isSpace()) return std::nullopt;
    const QByteArray bytes = rest.toUtf8();
    if (bytes.contains('\0')) return std::nullopt;
    char* stop = nullptr;
    errno = 0;
    const double v = strtodC(bytes.constData(), &stop);
    if (stop == bytes.constData() || stop != bytes.constData() + bytes.size()) return std::nullopt;
    // Out of range reads as ±huge or a denormal: the clamp below settles both.
    double w = v < 100 ? v : 100;
    w = w > 1 ? w : 1;
    return w;
}
